// SPDX-License-Identifier: MIT
#include "DocFixtures.h"

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
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
const QByteArray kUsage =
    " (usage: tavo-identify [-0rL] [-j N] [--format json|text|tsv] [--exclude "
    "GLOB]... [--summary] [--] FILE... | -)\n";

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
        ASSERT_TRUE(write("Plan \"A\".qxd", kQuarkHead) && write("Buch.indd", kInDesignHead) &&
                    write("notes.txt", QByteArray(600, 'x')));
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
                const std::function<void()> &child = {},
                const QString &program = QStringLiteral(TAVO_BIN_DIR "/tavo-identify")) {
        QProcess p;
        p.setWorkingDirectory(mDir.path());
        if (child)
            p.setChildProcessModifier(child);
        p.start(program, args);
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

QByteArray Usage(const char *problem) {
    return "tavo-identify: " + QByteArray(problem) + kUsage;
}

// A short or foreign file is read fine, as not recognised; one that cannot be
// read still gets its line, which says why. Paths come as arguments and on
// standard input, by lines or NUL-separated, names that are not UTF-8 (a
// Latin-1 one, an overlong "/") exactly. Help and version win wherever they
// stand, but not after "--"; the first problem found is a usage error of one
// line; long options count only whole.
TEST_F(IdentifyToolTest, OneLinePerFileInOrderAndTheWorstOutcomeIsTheStatus) {
    ASSERT_TRUE(write("short.indd", kInDesignHead.left(511)));
    ASSERT_EQ(::mkfifo(native("pipe").constData(), 0600), 0);
    const QByteArray odd = "two\nlines\\\x01.qxd", latin = "odd/Z\xfcrich.indd",
                     overlong = "odd/over\xc0\xaf.indd";
    ASSERT_TRUE(write(odd, kQuarkHead) && write(latin, kInDesignHead) &&
                write(overlong, kInDesignHead));
    const QByteArray book = Line("Buch.indd", kInDesign), notes = Line("notes.txt", kNone),
                     plan = Line("Plan \\\"A\\\".qxd", kQuark), folder = ": Is a directory\n";
    const QByteArray foreign =
        Line("odd/Z\uFFFDrich.indd", "\"pathBytes\":\"" + latin.toBase64() + "\"," + kInDesign) +
        Line("odd/over\uFFFD\uFFFD.indd",
             "\"pathBytes\":\"" + overlong.toBase64() + "\"," + kInDesign);
    const struct {
        QStringList args;
        int exitCode;
        QByteArray out, err, input = {};
    } cases[] = {
        {{"Buch.indd", "Plan \"A\".qxd"}, 0, book + plan, ""},
        {{"notes.txt", "short.indd"}, 1, notes + Line("short.indd", kNone), ""},
        {{"gone.qxd", "Buch.indd", ".", "pipe", "notes.txt"},
         2,
         Line("gone.qxd", kNone, "No such file or directory") + book +
             Line(".", kNone, "Is a directory") + Line("pipe", kNone, "not a regular file") + notes,
         "tavo-identify: gone.qxd: No such file or directory\ntavo-identify: ." + folder +
             "tavo-identify: pipe: not a regular file\n"},
        {{"Buch.indd", "-", "notes.txt"},
         2,
         book + plan + notes + Line(".", kNone, "Is a directory") + notes,
         "tavo-identify: ." + folder,
         "Plan \"A\".qxd\nnotes.txt\r\n\n."},
        // NUL-separated names may hold line feeds; -0 alone reads standard input.
        {{"-0"},
         0,
         Line("two\\nlines\\\\\\u0001.qxd", kQuark) + book,
         "",
         odd + '\0' + "Buch.indd" + '\0'},
        {{"-0"}, 0, foreign, "", latin + '\0' + overlong + '\0'},
        {{"-r", "odd"}, 0, foreign, ""}, // in the order of their bytes
        {{"-j", "1", "Buch.indd"}, 0, book, ""},
        {{"Buch.indd", "--jobs=256"}, 0, book, ""},
        {{"--", "-h"},
         2,
         Line("-h", kNone, "No such file or directory"),
         "tavo-identify: -h: No such file or directory\n"},
        {{"-rj", "0", "Buch.indd"}, 2, "", Usage("-j wants a number from 1 to 256, not '0'")},
        {{"--jobs", "257", "x"}, 2, "", Usage("--jobs wants a number from 1 to 256, not '257'")},
        {{"-j", "8x", "x"}, 2, "", Usage("-j wants a number from 1 to 256, not '8x'")},
        {{"x", "-j"}, 2, "", Usage("option -j needs a value")},
        {{"x", "--exclude"}, 2, "", Usage("option --exclude needs a value")},
        {{"--rec", "x"}, 2, "", Usage("unknown option --rec")},
        {{"--help=1"}, 2, "", Usage("option --help takes no value")},
        {{"-rq", "--help"}, 2, "", Usage("unknown option -q")},
        {{"--format", "csv", "x"}, 2, "", Usage("--format wants json, text or tsv, not 'csv'")},
        {{"-rL"}, 2, "", Usage("no files given")},
    };
    for (const auto &c : cases) {
        const ToolRun r = run(c.args, c.input);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
    // A line too long for any path is an error.
    EXPECT_TRUE(run({"-"}, QByteArray(100000, 'x') + "\nBuch.indd")
                    .out.endsWith(",\"error\":\"File name too long\"}\n" + book));
    EXPECT_EQ(run({"x", "--version", "-j0"}).out, "tavo-identify 2.20\n");
    const ToolRun help = run({"Buch.indd", "-rh"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: tavo-identify [OPTION]... [--] FILE...\n"));
    EXPECT_TRUE(help.out.endsWith("could not be read or written.\n\nPart of Tavo 2.20.\n"));
    EXPECT_TRUE(help.out.contains(
        "-j, --jobs N       read up to N files at a time, 1 to 256 (default 32)\n"));
}

// A job folder from a Mac volume: its AppleDouble files and .DS_Store left
// out, names that mislead about their document marked, names with odd bytes
// kept on one line, and the counts at the end.
TEST_F(IdentifyToolTest, JobFoldersAreWalkedAndReportedAsAsked) {
    for (const QByteArray name :
         {"job/._Plan.qxd", "job/old/._x", "job/Plan.QXP", "job/\n\xe2\x80\xa8\xfc"})
        ASSERT_TRUE(write(name, kQuarkHead));
    for (const QByteArray name : {"job/.qxd", "job/Wrong.qxd", "job/tab\there.indt"})
        ASSERT_TRUE(write(name, kInDesignHead));
    ASSERT_TRUE(write("job/.DS_Store", "x") && write("job/readme.txt", QByteArray(600, 'x')) &&
                write("job/Vorlage.qxd", FromHex("00004D4D58505233204C204C5854"))); // a template
    const char kNames[] = "job/Wrong.qxd\0job/tab\there.indt\0job/\n\xe2\x80\xa8\xfc\0gone\0";
    const struct {
        QStringList args;
        int exitCode;
        QByteArray out, input = {};
    } cases[] = {
        {{"-r", "--format=text", "--exclude", "._*", "--exclude=.DS_Store", "--summary", "job",
          "gone.qxd"},
         2,
         "job/\\012\\342\\200\\250\\374: QuarkXPress 2016 (Mac)\njob/.qxd: Adobe InDesign CC 2019\n"
         "job/Plan.QXP: QuarkXPress 2016 (Mac)\n"
         "job/Vorlage.qxd: QuarkXPress 2016 (Mac), extension should be .qpt\n"
         "job/Wrong.qxd: Adobe InDesign CC 2019, extension should be .indd\n"
         "job/readme.txt: not a layout document\njob/tab\\011here.indt: Adobe InDesign CC 2019\n"
         "gone.qxd: cannot open `gone.qxd' (No such file or directory)\n\n"
         "      3 Adobe InDesign CC 2019\n      3 QuarkXPress 2016\n"
         "      1 not a layout document\n      1 cannot open\n"},
        {{"--format", "tsv", "--summary", "-0"},
         2,
         "path\trecognised\tcreator\tversion\tversionName\tos\text\tappName\ttype\textMismatch\terr"
         "or\n"
         "job/Wrong.qxd\ttrue\tInDn\t120\tCC 2019\t\tindd\tAdobe InDesign\tIDdE\ttrue\t\n"
         "job/tab\\there.indt\ttrue\tInDn\t120\tCC 2019\t\tindd\tAdobe InDesign\tIDdE\tfalse\t\n"
         "job/\\n\\xe2\\x80\\xa8\\xfc\ttrue\tXPR3\t2016\t2016\tM\tqxp\tQuarkXPress\tXDOC\tfalse\t\n"
         "gone\tfalse\t\t0\t\t\t\t\t\tfalse\tNo such file or directory\n"
         "\nsummary\tcount\nAdobe InDesign CC 2019\t2\nQuarkXPress 2016\t1\nunrecognised\t0\n"
         "errors\t1\n",
         QByteArray(kNames, sizeof kNames - 1)},
        // Names given are matched too, on standard input as well.
        {{"--summary", "--exclude=._*", "--exclude", "Vor*", "job/._Plan.qxd", "job/Wrong.qxd", "-",
          "job/readme.txt"},
         1,
         Line("job/Wrong.qxd", kInDesign + ",\"extMismatch\":true") +
             Line("job/readme.txt", kNone) +
             "{\"summary\":\"version\",\"appName\":\"Adobe InDesign\",\"versionName\":\"CC "
             "2019\",\"count\":1}\n{\"summary\":\"unrecognised\",\"count\":1}\n"
             "{\"summary\":\"errors\",\"count\":0}\n",
         "job/Vorlage.qxd\n"},
    };
    for (const auto &c : cases) {
        const ToolRun r = run(c.args, c.input);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.out, c.out);
    }

    // Walks go in the order of the names' bytes; links are followed only when asked.
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

    // On a terminal that shows both outputs, a file that cannot be read is told once.
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
    const QByteArray side = ::ptsname(terminal);
    const ToolRun r = run({"--format=text", "gone", "Buch.indd"}, {}, [side] {
        const int fd = ::open(side.constData(), O_RDWR | O_NOCTTY);
        ::dup2(fd, 1);
        ::dup2(fd, 2);
    });
    QByteArray shown;
    char buffer[4096];
    for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, n);
    ::close(terminal);
    EXPECT_EQ(shown.replace("\r\n", "\n") + QByteArray::number(r.exitCode),
              "gone: cannot open `gone' (No such file or directory)\nBuch.indd: Adobe InDesign CC "
              "2019\n2");
}

// The program finds its table in ../share/tavo beside itself. A damaged one is
// an error, not a folder of unknown documents; the entries of a sound one are
// read with their tolerances.
TEST_F(IdentifyToolTest, TheDocumentTypeTableOfTheInstallation) {
    const QString program = mDir.filePath("inst/bin/tavo-identify");
    const QString table = mDir.filePath("inst/share/tavo/DocTypes.plist");
    ASSERT_TRUE(QDir().mkpath(mDir.filePath("inst/bin")) &&
                QFile::copy(TAVO_BIN_DIR "/tavo-identify", program));
    const QByteArray quark = "<plist><dict><key>Quark</key><dict><key>00004D4D58505233204C204C5850"
                             "</key>%1</dict></dict></plist>";
    const QByteArray rest = ",\"os\":null,\"ext\":null,\"appName\":\"QuarkXPress\",\"type\":null";
    const struct {
        QByteArray plist;
        int exitCode;
        QByteArray members; // of the line, from "recognised" to "versionName"
    } cases[] = {
        {{}, 2, ""},
        {"<plist><dict><key>Quark</key><array/></dict></plist>", 2, ""},
        {QByteArray(quark).replace("%1", "<dict><key>v</key><integer>2016</integer></dict>"), 0,
         "true,\"creator\":\"XPR3\",\"version\":2016,\"versionName\":\"2016\""},
        {QByteArray(quark).replace("%1", "<string>2016</string>"), 1,
         "false,\"creator\":\"XPR3\",\"version\":0,\"versionName\":null"},
    };
    for (const auto &c : cases) {
        QFile::remove(table);
        ASSERT_TRUE(c.plist.isNull() || WriteAll(table, c.plist));
        const ToolRun r = run({"Plan \"A\".qxd"}, {}, {}, program);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.plist.data();
        EXPECT_EQ(r.out, c.members.isEmpty()
                             ? QByteArray()
                             : Line("Plan \\\"A\\\".qxd", "\"recognised\":" + c.members + rest));
        EXPECT_EQ(r.err, c.exitCode < 2 ? QByteArray()
                                        : "tavo-identify: " + QFile::encodeName(table) +
                                              ": the document-type table is missing or damaged, so "
                                              "no QuarkXPress document can be recognised; install "
                                              "Tavo again\n");
    }
}

// Over a share (a FUSE mount) reads wait, so the pool starts as many threads
// as -j allows; the limits of the process bound them, and the output is that
// of one read at a time.
TEST_F(IdentifyToolTest, ProcessLimitsBoundTheReadsAndLoseNothing) {
    QByteArray list;
    for (int i = 0; i < 3000; ++i) {
        ASSERT_TRUE(write("src/" + QByteArray::number(i), kQuarkHead));
        list += "share/" + QByteArray::number(i) + '\n';
    }
    ASSERT_TRUE(QDir().mkpath(mDir.filePath("share")));
    if (QProcess::execute("bindfs", {mDir.filePath("src"), mDir.filePath("share")}) != 0)
        GTEST_SKIP() << "bindfs cannot mount here (no FUSE)";
    const auto unmount = qScopeGuard([&] {
        QProcess::execute("fusermount", {"-u", mDir.filePath("share")});
    });
    const auto limited = [&](const char *jobs, __rlimit_resource_t resource, rlim_t value) {
        const ToolRun r = run({"-j", jobs, "-"}, list, [=] {
            const rlimit limit{value, value};
            ::setrlimit(resource, &limit);
        });
        return r.out + r.err + QByteArray::number(r.exitCode);
    };
    const QByteArray serial = limited("1", RLIMIT_NOFILE, 1024);
    EXPECT_TRUE(serial.endsWith("}\n0"));
    EXPECT_EQ(limited("256", RLIMIT_NOFILE, 64), serial);
#ifndef __SANITIZE_ADDRESS__ // the sanitizer reserves terabytes of address space at start
    EXPECT_EQ(limited("256", RLIMIT_AS, 200000 * 1024), serial);
#endif
}

} // namespace
