#include "DocFixtures.h"
#include "app/IdentifyJson.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Everything here runs the real tavo-identify.

namespace {

struct ToolRun {
    int exitCode;
    QByteArray out;
    QList<QByteArray> lines;
    QList<QByteArray> errLines;
};

// `child` runs in the child before exec, to hand it odd standard streams.
ToolRun RunIdentify(const QStringList &args, const QByteArray &input = {},
                    const std::function<void()> &child = {}) {
    QProcess p;
    if (child)
        p.setChildProcessModifier(child);
    p.start(QStringLiteral(TAVO_BIN_DIR "/tavo-identify"), args);
    EXPECT_TRUE(p.waitForStarted());
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(120000));
    const QByteArray out = p.readAllStandardOutput();
    QList<QByteArray> lines = out.split('\n');
    lines.removeAll(QByteArray());
    QList<QByteArray> errLines = p.readAllStandardError().split('\n');
    errLines.removeAll(QByteArray());
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, out, lines, errLines};
}

QJsonObject Parse(const QByteArray &line) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line.constData();
    return doc.object();
}

const QByteArray kQuarkHead = FromHex("00004D4D58505233204C204C5850");

class IdentifyToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteFile(quark, kQuarkHead));
        ASSERT_TRUE(WriteFile(indesign, InDesignVersionBytes(0x0E, 0, 0, 0, 0)));
        ASSERT_TRUE(WriteFile(other, QByteArray(600, 'x')));
    }
    // Qt's file classes cannot remove a name that is not UTF-8.
    void TearDown() override {
        for (const QByteArray &file : written)
            ::unlink(file.constData());
    }
    bool WriteNative(const QByteArray &path, const QByteArray &bytes) {
        written.append(path);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool ok = fd >= 0 && ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
        return ::close(fd) == 0 && ok;
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QByteArray native(const QByteArray &name) const {
        return QFile::encodeName(dir.path()) + '/' + name;
    }

    QTemporaryDir dir;
    QString quark = dir.filePath(QStringLiteral("Plan \"A\".qxd"));
    QString indesign = dir.filePath(QStringLiteral("Buch.indd"));
    QString other = dir.filePath(QStringLiteral("notes.txt"));
    QList<QByteArray> written;
};

TEST_F(IdentifyToolTest, PrintsOneObjectPerFileInArgumentOrder) {
    const ToolRun run = RunIdentify({indesign, quark});
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.lines.size(), 2);
    const QJsonObject id = Parse(run.lines[0]);
    EXPECT_EQ(id.value("path").toString(), indesign);
    EXPECT_TRUE(id.value("recognised").toBool());
    EXPECT_EQ(id.value("creator").toString(), QLatin1String("InDn"));
    EXPECT_EQ(id.value("version").toInt(), 120);
    EXPECT_EQ(id.value("versionName").toString(), QLatin1String("CC 2019"));
    EXPECT_TRUE(id.value("os").isNull());
    EXPECT_EQ(id.value("type").toString(), QLatin1String("IDdE"));
    const QJsonObject q = Parse(run.lines[1]);
    EXPECT_EQ(q.value("path").toString(), quark);
    EXPECT_EQ(q.value("creator").toString(), QLatin1String("XPR3"));
    EXPECT_EQ(q.value("appName").toString(), QLatin1String("QuarkXPress"));
    EXPECT_EQ(q.value("versionName").toString(), QLatin1String("2016"));
    EXPECT_EQ(q.value("os").toString(), QLatin1String("M"));
    EXPECT_EQ(q.value("ext").toString(), QLatin1String("qxp"));
    EXPECT_EQ(q.keys().size(), 9);
    EXPECT_TRUE(run.errLines.isEmpty());
}

TEST_F(IdentifyToolTest, FilesThatCannotBeReadAreErrors) {
    const QString shortFile = path("short.indd");
    ASSERT_TRUE(WriteFile(shortFile, InDesignVersionBytes(0x0E, 0, 0, 0, 0).left(511)));
    const QString fifo = path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString missing = path("missing.qxd");

    // Short and foreign files are read fine: not recognised, not errors.
    const ToolRun unread = RunIdentify({quark, other, shortFile});
    EXPECT_EQ(unread.exitCode, 1);
    ASSERT_EQ(unread.lines.size(), 3);
    EXPECT_EQ(Parse(unread.lines[2]).keys().size(), 9);
    EXPECT_FALSE(Parse(unread.lines[2]).value("recognised").toBool());
    EXPECT_TRUE(unread.errLines.isEmpty());

    const ToolRun run = RunIdentify({missing, quark, dir.path(), fifo});
    EXPECT_EQ(run.exitCode, 2);
    ASSERT_EQ(run.lines.size(), 4);
    const struct {
        int line;
        QString path;
        const char *reason;
    } errors[] = {{0, missing, "No such file or directory"},
                  {2, dir.path(), "Is a directory"},
                  {3, fifo, "not a regular file"}};
    ASSERT_EQ(run.errLines.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject o = Parse(run.lines[errors[i].line]);
        EXPECT_EQ(o.value("path").toString(), errors[i].path);
        EXPECT_FALSE(o.value("recognised").toBool());
        EXPECT_EQ(o.value("error").toString(), QLatin1String(errors[i].reason));
        EXPECT_EQ(run.errLines[i],
                  "tavo-identify: " + errors[i].path.toUtf8() + ": " + errors[i].reason);
    }
    EXPECT_FALSE(Parse(run.lines[1]).contains("error"));

    const QString locked = path("locked.qxd");
    ASSERT_TRUE(WriteFile(locked, kQuarkHead));
    QFile::setPermissions(locked, QFileDevice::Permissions());
    if (!QFile(locked).open(QIODevice::ReadOnly)) { // root reads anything
        EXPECT_EQ(Parse(RunIdentify({locked}).lines.value(0)).value("error").toString(),
                  QLatin1String("Permission denied"));
    }
}

TEST_F(IdentifyToolTest, OptionsAndUsageErrors) {
    const ToolRun version = RunIdentify({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "tavo-identify 2.20\n");

    // Help wins wherever it stands, but not after "--".
    for (const QStringList &args : {QStringList{quark, "-h"}, {"--help"}, {"-rh", quark}}) {
        const ToolRun help = RunIdentify(args);
        EXPECT_EQ(help.exitCode, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(help.out.startsWith("Usage: tavo-identify")) << help.out.constData();
    }
    EXPECT_EQ(RunIdentify({"--", "-h"}).errLines.value(0),
              "tavo-identify: -h: No such file or directory");

    const QStringList usageErrors[] = {{},
                                       {"-x", quark},
                                       {quark, "--bogus"},
                                       {"--recursive=yes", quark},
                                       {"-j", "0", quark},
                                       {"--jobs=many", quark},
                                       {quark, "-j"},
                                       {"--format", "xml", quark},
                                       {"-r"}};
    for (const QStringList &args : usageErrors) {
        const ToolRun run = RunIdentify(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << args.join(' ').toStdString();
        EXPECT_EQ(run.errLines.size(), 1) << args.join(' ').toStdString();
    }

    // Every spelling of the options with values.
    for (const QStringList &args : {QStringList{"-j", "3", "--format", "text"},
                                    {"-j3", "--format=text"},
                                    {"--jobs=3", "--format", "text"},
                                    {"--jobs", "3", "--format=text"}}) {
        const ToolRun run = RunIdentify(args + QStringList{quark, other});
        EXPECT_EQ(run.exitCode, 1) << args.join(' ').toStdString();
        EXPECT_EQ(run.out, quark.toUtf8() + ": QuarkXPress 2016 (Mac)\n" + other.toUtf8() +
                               ": not a layout document\n");
    }
}

TEST_F(IdentifyToolTest, TextFormatReadsLikeFile) {
    const ToolRun run =
        RunIdentify({"--format", "text", indesign, quark, other, path("gone"), dir.path()});
    EXPECT_EQ(run.exitCode, 2);
    const QByteArray d = QFile::encodeName(dir.path());
    EXPECT_EQ(run.out, d + "/Buch.indd: Adobe InDesign CC 2019\n" + d +
                           "/Plan \"A\".qxd: QuarkXPress 2016 (Mac)\n" + d +
                           "/notes.txt: not a layout document\n" + d + "/gone: cannot open `" + d +
                           "/gone' (No such file or directory)\n" + d + ": cannot open `" + d +
                           "' (Is a directory)\n");
    EXPECT_EQ(run.errLines.size(), 2);
}

TEST_F(IdentifyToolTest, ReadsPathsFromStandardInput) {
    const QByteArray input = (indesign + "\n" + other + "\r\n\n" + quark).toUtf8();
    const ToolRun run = RunIdentify({quark, "-", other}, input);
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.lines.size(), 5);
    EXPECT_EQ(Parse(run.lines[1]).value("path").toString(), indesign);
    EXPECT_EQ(Parse(run.lines[2]).value("path").toString(), other);
    EXPECT_EQ(Parse(run.lines[3]).value("versionName").toString(), QLatin1String("2016"));
    EXPECT_EQ(Parse(run.lines[4]).value("path").toString(), other);

    // NUL-separated names may hold line feeds; -0 alone reads standard input.
    const QByteArray odd = native("two\nlines.qxd");
    ASSERT_TRUE(WriteNative(odd, kQuarkHead));
    for (const QStringList &args : {QStringList{"-0"}, {"--null", "-"}}) {
        const ToolRun nul = RunIdentify(args, odd + '\0' + indesign.toUtf8() + '\0');
        EXPECT_EQ(nul.exitCode, 0);
        ASSERT_EQ(nul.lines.size(), 2);
        EXPECT_EQ(Parse(nul.lines[0]).value("path").toString().toUtf8(), odd);
    }

    // After "--", "-" is a file; a line too long for any path is an error.
    const ToolRun dash = RunIdentify({"--", "-"}, indesign.toUtf8());
    EXPECT_EQ(Parse(dash.lines.value(0)).value("error").toString(),
              QLatin1String("No such file or directory"));
    const ToolRun tooLong = RunIdentify({"-"}, QByteArray(100000, 'x') + '\n' + quark.toUtf8());
    EXPECT_EQ(tooLong.exitCode, 2);
    ASSERT_EQ(tooLong.lines.size(), 2);
    EXPECT_EQ(Parse(tooLong.lines[0]).value("error").toString(),
              QLatin1String("File name too long"));
    EXPECT_TRUE(Parse(tooLong.lines[1]).value("recognised").toBool());
}

TEST_F(IdentifyToolTest, UnusableStandardStreamsAreErrors) {
    const QByteArray folder = QFile::encodeName(dir.path());
    const QByteArray file = QFile::encodeName(quark);
    const struct {
        QStringList args;
        std::function<void()> child;
        const char *message;
    } cases[] = {
        {{"-"},
         [folder] { ::dup2(::open(folder.constData(), O_RDONLY | O_DIRECTORY), 0); },
         "tavo-identify: standard input: Is a directory"},
        {{"-0"}, [] { ::close(0); }, "tavo-identify: standard input: Bad file descriptor"},
        // Output that cannot be written, at the end or at the start.
        {{quark},
         [file] { ::dup2(::open(file.constData(), O_RDONLY), 1); },
         "tavo-identify: standard output: Bad file descriptor"},
        {{quark}, [] { ::close(1); }, "tavo-identify: standard output: Bad file descriptor"},
        {{"--version"}, [] { ::close(1); }, "tavo-identify: standard output: Bad file descriptor"},
    };
    for (const auto &c : cases) {
        const ToolRun run = RunIdentify(c.args, {}, c.child);
        EXPECT_EQ(run.exitCode, 2) << c.message;
        EXPECT_EQ(run.errLines, QList<QByteArray>{c.message});
    }
}

TEST_F(IdentifyToolTest, NamesThatAreNotUtf8ComeBackExactly) {
    const struct {
        QByteArray name;
        QString shown;
    } names[] = {
        {"Z\xfcrich.indd", QStringLiteral("Z\uFFFDrich.indd")},         // Latin-1
        {"cut\xe2\x82.indd", QStringLiteral("cut\uFFFD\uFFFD.indd")},   // cut short
        {"over\xc0\xaf.indd", QStringLiteral("over\uFFFD\uFFFD.indd")}, // an overlong "/"
        {"stray\x80.indd", QStringLiteral("stray\uFFFD.indd")},         // a lone continuation
    };
    QByteArray input;
    for (const auto &n : names) {
        ASSERT_TRUE(WriteNative(native(n.name), InDesignVersionBytes(0x0E, 0, 0, 0, 0)));
        input += native(n.name) + '\0';
    }
    // With -r the names come from the folder itself.
    for (const ToolRun &run : {RunIdentify({"-0"}, input), RunIdentify({"-r", dir.path()})}) {
        int found = 0;
        for (const QByteArray &line : run.lines) {
            const QJsonObject o = Parse(line);
            if (!o.contains("pathBytes"))
                continue;
            const QByteArray bytes =
                QByteArray::fromBase64(o.value("pathBytes").toString().toUtf8());
            for (const auto &n : names) {
                if (bytes != native(n.name))
                    continue;
                ++found;
                EXPECT_EQ(o.value("path").toString(), dir.path() + '/' + n.shown);
                EXPECT_TRUE(o.value("recognised").toBool()) << line.constData();
            }
        }
        EXPECT_EQ(found, 4);
    }
    const ToolRun text = RunIdentify({"--format=text", "-0"}, native(names[0].name) + '\0');
    EXPECT_EQ(text.out, native(names[0].name) + ": Adobe InDesign CC 2019\n");
}

TEST_F(IdentifyToolTest, WalksFoldersInTheOrderOfTheirBytes) {
    QDir(dir.path()).mkpath("tree/B/deep");
    QDir(dir.path()).mkpath("outside");
    const QByteArray tree = native("tree");
    for (const QByteArray name :
         {"tree/a.qxd", "tree/B/deep/z.qxd", "tree/B/c.qxd", "tree/\xc3\xa9.qxd", "outside/o.qxd"})
        ASSERT_TRUE(WriteNative(native(name), kQuarkHead));
    ASSERT_EQ(::symlink("../outside", (tree + "/link").constData()), 0);
    ASSERT_EQ(::symlink("..", (tree + "/B/up").constData()), 0);
    ASSERT_EQ(::symlink("a.qxd", (tree + "/file-link").constData()), 0);

    const auto paths = [&](const ToolRun &run) {
        QList<QByteArray> list;
        for (const QByteArray &line : run.lines)
            list.append(line.left(line.indexOf(':')).mid(tree.size()));
        return list;
    };
    const QString treeName = QString::fromUtf8(tree);
    const ToolRun plain = RunIdentify({"-r", "--format=text", treeName});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(paths(plain), (QList<QByteArray>{"/B/c.qxd", "/B/deep/z.qxd", "/a.qxd", "/file-link",
                                               "/\xc3\xa9.qxd"}));
    // Following: the link out is entered, the link back up is a loop.
    const ToolRun followed = RunIdentify({"-rL", "--format=text", treeName + '/'});
    EXPECT_EQ(followed.exitCode, 2);
    EXPECT_EQ(paths(followed), (QList<QByteArray>{"/B/c.qxd", "/B/deep/z.qxd", "/B/up", "/a.qxd",
                                                  "/file-link", "/link/o.qxd", "/\xc3\xa9.qxd"}));
    EXPECT_EQ(followed.errLines, QList<QByteArray>{"tavo-identify: " + tree +
                                                   "/B/up: Too many levels of symbolic links"});
    EXPECT_EQ(RunIdentify({"--recursive", "--follow", "--format=text", treeName + '/'}).out,
              followed.out);
    // Folders named on standard input are walked too; without -r they are errors.
    EXPECT_EQ(paths(RunIdentify({"--recursive", "--format=text", "-"}, tree)), paths(plain));
    EXPECT_EQ(RunIdentify({"--follow", treeName}).exitCode, 2);
}

TEST_F(IdentifyToolTest, ParallelReadsNeverChangeTheOutput) {
    QDir(dir.path()).mkpath("many");
    QByteArray list;
    for (int i = 0; i < 3000; ++i) {
        const QString name = path(QStringLiteral("many/%1").arg(i, 4, 10, QLatin1Char('0')));
        const QByteArray heads[] = {kQuarkHead, InDesignVersionBytes(0x0F, 0, 0, 0, 0), "short"};
        if (i % 7 != 3) {
            ASSERT_TRUE(WriteFile(name, heads[i % 3]));
        }
        list += name.toUtf8() + '\n';
    }
    const ToolRun serial = RunIdentify({"-j", "1", "-"}, list);
    EXPECT_EQ(serial.exitCode, 2);
    EXPECT_EQ(serial.lines.size(), 3000);
    EXPECT_GT(serial.errLines.size(), 400);
    for (const QStringList &args : {QStringList{"-j", "8", "-"}, QStringList{"-"}}) {
        const ToolRun parallel = RunIdentify(args, list);
        EXPECT_EQ(parallel.exitCode, 2);
        EXPECT_EQ(parallel.out, serial.out);
        EXPECT_EQ(parallel.errLines, serial.errLines);
    }
    EXPECT_EQ(RunIdentify({"-r", "-j", "16", path("many")}).out,
              RunIdentify({"-r", "-j1", path("many")}).out);
}

TEST(IdentifyJsonTest, EscapesPathsAndWritesNullForAbsentTexts) {
    DocInfo info;
    const QByteArray line = IdentifyJsonLine("a\\b\"c\nd\x01", info);
    EXPECT_EQ(line, QByteArray("{\"path\":\"a\\\\b\\\"c\\nd\\u0001\",\"recognised\":false,"
                               "\"creator\":null,\"version\":0,\"versionName\":null,\"os\":null,"
                               "\"ext\":null,\"appName\":null,\"type\":null}\n"));
}

} // namespace
