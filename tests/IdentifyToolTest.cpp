// SPDX-License-Identifier: MIT
#include "DocFixtures.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Everything here runs the real tavo-identify, in a folder of documents.

namespace {

// What follows "path" in the line of a file of each kind.
const QByteArray kQuark =
    "\"recognised\":true,\"creator\":\"XPR3\",\"version\":2016,\"versionName\":"
    "\"2016\",\"os\":\"M\",\"ext\":\"qxp\",\"appName\":\"QuarkXPress\",\"type\":\"XDOC\"";
const QByteArray kInDesign = "\"recognised\":true,\"creator\":\"InDn\",\"version\":120,"
                             "\"versionName\":\"CC 2019\",\"os\":null,\"ext\":\"indd\",\"appName\":"
                             "\"Adobe InDesign\",\"type\":\"IDdE\"";
const QByteArray kNone = "\"recognised\":false,\"creator\":null,\"version\":0,\"versionName\":null,"
                         "\"os\":null,\"ext\":null,\"appName\":null,\"type\":null";

QByteArray Line(const QByteArray &path, const QByteArray &members, const char *error = nullptr) {
    const QByteArray reason = error ? ",\"error\":\"" + QByteArray(error) + '"' : QByteArray();
    return "{\"path\":\"" + path + "\"," + members + reason + "}\n";
}

struct ToolRun {
    int exitCode;
    QByteArray out, err;
};

class IdentifyToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(write("Plan \"A\".qxd", kQuarkHead));
        ASSERT_TRUE(write("Buch.indd", kInDesignHead));
        ASSERT_TRUE(write("notes.txt", QByteArray(600, 'x')));
    }
    // Qt's file classes cannot remove a name that is not UTF-8.
    void TearDown() override { QProcess::execute("rm", {"-rf", mDir.path()}); }
    QByteArray native(const QByteArray &name) const {
        return QFile::encodeName(mDir.path()) + '/' + name;
    }
    bool write(const QByteArray &name, const QByteArray &bytes) {
        QDir().mkpath(QFileInfo(QFile::decodeName(native(name))).path());
        const int fd = ::open(native(name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const bool ok = fd >= 0 && ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
        return ::close(fd) == 0 && ok;
    }
    // `child` runs in the child before exec, to hand it odd standard streams.
    ToolRun run(const QStringList &args, const QByteArray &input = {},
                const std::function<void()> &child = {}) {
        QProcess p;
        p.setWorkingDirectory(mDir.path());
        if (child)
            p.setChildProcessModifier(child);
        p.start(QStringLiteral(TAVO_BIN_DIR "/tavo-identify"), args);
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(120000));
        const int code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return {code, p.readAllStandardOutput(), p.readAllStandardError()};
    }

    const QByteArray kQuarkHead = FromHex("00004D4D58505233204C204C5850");
    const QByteArray kInDesignHead = InDesignVersionBytes(0x0E, 0, 0, 0, 0);
    QTemporaryDir mDir;
};

// A short or foreign file is read fine, as not recognised; one that cannot be
// read still gets its line, which says why.
TEST_F(IdentifyToolTest, OneLinePerFileInOrderAndTheWorstOutcomeIsTheStatus) {
    ASSERT_TRUE(write("short.indd", kInDesignHead.left(511)));
    ASSERT_EQ(::mkfifo(native("pipe").constData(), 0600), 0);
    const struct {
        QStringList args;
        int exitCode;
        QByteArray out, err;
    } cases[] = {
        {{"Buch.indd", "Plan \"A\".qxd"},
         0,
         Line("Buch.indd", kInDesign) + Line("Plan \\\"A\\\".qxd", kQuark),
         ""},
        {{"notes.txt", "short.indd"}, 1, Line("notes.txt", kNone) + Line("short.indd", kNone), ""},
        {{"gone.qxd", "Buch.indd", ".", "pipe", "notes.txt"},
         2,
         Line("gone.qxd", kNone, "No such file or directory") + Line("Buch.indd", kInDesign) +
             Line(".", kNone, "Is a directory") + Line("pipe", kNone, "not a regular file") +
             Line("notes.txt", kNone),
         "tavo-identify: gone.qxd: No such file or directory\ntavo-identify: .: Is a "
         "directory\ntavo-identify: pipe: not a regular file\n"},
    };
    for (const auto &c : cases) {
        const ToolRun r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
}

// Help wins wherever it stands, but not after "--".
TEST_F(IdentifyToolTest, OptionsAndUsageErrors) {
    EXPECT_EQ(run({"--version"}).out, "tavo-identify 2.20\n");
    EXPECT_TRUE(run({"Buch.indd", "--help"}).out.startsWith("Usage: tavo-identify"));
    EXPECT_EQ(run({"--", "-h"}).out, Line("-h", kNone, "No such file or directory"));
    EXPECT_EQ(run({"--format", "text", "-j1", "Plan \"A\".qxd", "notes.txt", "gone"}).out,
              "Plan \"A\".qxd: QuarkXPress 2016 (Mac)\nnotes.txt: not a layout document\n"
              "gone: cannot open `gone' (No such file or directory)\n");
    const ToolRun usage = run({"a", "--bogus"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_EQ(usage.out + QByteArray::number(usage.err.count('\n')), "1") << usage.err.data();
}

TEST_F(IdentifyToolTest, ReadsPathsFromStandardInput) {
    const ToolRun lines = run({"Buch.indd", "-", "notes.txt"}, "Plan \"A\".qxd\nnotes.txt\r\n\n.");
    EXPECT_EQ(lines.exitCode, 2);
    EXPECT_EQ(lines.out, Line("Buch.indd", kInDesign) + Line("Plan \\\"A\\\".qxd", kQuark) +
                             Line("notes.txt", kNone) + Line(".", kNone, "Is a directory") +
                             Line("notes.txt", kNone));
    // NUL-separated names may hold line feeds; -0 alone reads standard input.
    const QByteArray odd = "two\nlines\\\x01.qxd";
    ASSERT_TRUE(write(odd, kQuarkHead));
    EXPECT_EQ(run({"-0"}, odd + '\0' + "Buch.indd" + '\0').out,
              Line("two\\nlines\\\\\\u0001.qxd", kQuark) + Line("Buch.indd", kInDesign));
    // A line too long for any path is an error.
    const ToolRun tooLong = run({"-"}, QByteArray(100000, 'x') + "\nBuch.indd");
    EXPECT_TRUE(tooLong.out.endsWith(",\"error\":\"File name too long\"}\n" +
                                     Line("Buch.indd", kInDesign)));
}

TEST_F(IdentifyToolTest, UnusableStandardStreamsAreErrors) {
    const QByteArray folder = QFile::encodeName(mDir.path()), file = native("Buch.indd");
    const ToolRun in =
        run({"-"}, {}, [folder] { ::dup2(::open(folder.constData(), O_RDONLY | O_DIRECTORY), 0); });
    EXPECT_EQ(in.exitCode, 2);
    EXPECT_EQ(in.err, "tavo-identify: standard input: Is a directory\n");
    const ToolRun out =
        run({"Buch.indd"}, {}, [file] { ::dup2(::open(file.constData(), O_RDONLY), 1); });
    EXPECT_EQ(out.exitCode, 2);
    EXPECT_EQ(out.err, "tavo-identify: standard output: Bad file descriptor\n");
}

// A Latin-1 name and an overlong "/"; -r lists them in the order of their bytes.
TEST_F(IdentifyToolTest, NamesThatAreNotUtf8ComeBackExactly) {
    const QByteArray latin = "odd/Z\xfcrich.indd", overlong = "odd/over\xc0\xaf.indd";
    ASSERT_TRUE(write(latin, kInDesignHead) && write(overlong, kInDesignHead));
    const QByteArray expected =
        Line("odd/Z\uFFFDrich.indd", "\"pathBytes\":\"" + latin.toBase64() + "\"," + kInDesign) +
        Line("odd/over\uFFFD\uFFFD.indd",
             "\"pathBytes\":\"" + overlong.toBase64() + "\"," + kInDesign);
    EXPECT_EQ(run({"-0"}, latin + '\0' + overlong + '\0').out, expected);
    EXPECT_EQ(run({"-r", "odd"}).out, expected);
}

TEST_F(IdentifyToolTest, WalksFoldersInTheOrderOfTheirBytes) {
    for (const QByteArray name :
         {"tree/a.qxd", "tree/B/deep/z.qxd", "tree/B/c.qxd", "tree/\xc3\xa9.qxd", "outside/o.qxd"})
        ASSERT_TRUE(write(name, kQuarkHead));
    for (const auto &[to, link] :
         {std::pair{"../outside", "tree/link"}, {"..", "tree/B/up"}, {"a.qxd", "tree/file-link"}})
        ASSERT_EQ(::symlink(to, native(link).constData()), 0);
    const auto paths = [&](const ToolRun &walk) {
        QByteArray list;
        for (const QByteArray &line : walk.out.split('\n'))
            list += line.left(line.indexOf(':')) + ' ';
        return list;
    };
    const ToolRun plain = run({"-r", "--format=text", "tree"});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(paths(plain),
              "tree/B/c.qxd tree/B/deep/z.qxd tree/a.qxd tree/file-link tree/\xc3\xa9.qxd  ");
    // Following: the link out is entered, the link back up is a loop.
    const ToolRun followed = run({"--recursive", "-L", "--format=text", "tree/"});
    EXPECT_EQ(followed.exitCode, 2);
    EXPECT_EQ(paths(followed), "tree/B/c.qxd tree/B/deep/z.qxd tree/B/up tree/a.qxd "
                               "tree/file-link tree/link/o.qxd tree/\xc3\xa9.qxd  ");
    EXPECT_EQ(followed.err, "tavo-identify: tree/B/up: Too many levels of symbolic links\n");
}

TEST_F(IdentifyToolTest, ParallelReadsNeverChangeTheOutput) {
    const QByteArray heads[] = {kQuarkHead, InDesignVersionBytes(0x0F, 0, 0, 0, 0), "short"};
    QByteArray list;
    for (int i = 0; i < 3000; ++i) {
        const QByteArray name = "many/" + QByteArray::number(i).rightJustified(4, '0');
        list += name + '\n';
        if (i % 7 != 3) {
            ASSERT_TRUE(write(name, heads[i % 3]));
        }
    }
    const ToolRun serial = run({"-j", "1", "-"}, list);
    EXPECT_GT(serial.err.count('\n'), 400);
    const ToolRun parallel = run({"-j", "8", "-"}, list);
    EXPECT_EQ(parallel.exitCode, 2);
    EXPECT_EQ(parallel.out + parallel.err, serial.out + serial.err);
    EXPECT_EQ(run({"-r", "-j16", "many"}).out, run({"-r", "--jobs", "1", "many"}).out);
}

} // namespace
