// SPDX-License-Identifier: MIT
#include "toolkit/Log.h"
#include "TestSupport.h"
#include "platform/FileName.h"
#include "platform/Folders.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <gtest/gtest.h>

namespace {

const QByteArray kSeparator = QByteArray(73, '-') + '\n';

// The whole text is one start line, with this or the last minute as the
// user's locale writes them short.
bool IsStartLine(const QByteArray &text) {
    const QDateTime now = QDateTime::currentDateTime();
    for (const QDateTime &time : {now, now.addSecs(-60)}) {
        if (text ==
            QLocale::system().toString(time, QLocale::ShortFormat).toUtf8() + ": Tavo 2.20\n")
            return true;
    }
    return false;
}

// Lines of a last run, oldest first, so that a cut shows which end it kept.
QByteArray Lines() {
    QByteArray lines;
    for (int i = 0; i < 2000; ++i)
        lines += QByteArray::number(100000 + i) + " ran\n";
    return lines;
}

// Each test has a home of its own, so its Documents folder starts empty.
class LogTest : public ::testing::Test {
protected:
    QString logFile() const { return DocumentsFolder() + "/Vellmoran/Tavo.txt"; }

    QTemporaryDir home;
    ScopedEnv homeEnv{"HOME", QFile::encodeName(home.path())};
    ScopedEnv configEnv{"XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config"))};
};

TEST_F(LogTest, ModesDecideWhatIsKeptOfTheLastRun) {
    const QByteArray last = Lines();
    const struct {
        quint8 mode;
        qint64 limit;
        QByteArray old, kept;
    } cases[] = {
        {1, 12000, last, ""}, // a fresh log
        // Whole lines of 11 bytes, or whole characters when there are no lines.
        {0, 12000, last, last.right(1090 * 11) + kSeparator},
        {0, 12000, "short\n", "short\n" + kSeparator},
        {0, 0, last, kSeparator},
        {2, 100, last, last.right(99)},
        {2, 110, last, last.right(110)},
        {2, 51, QString(100, u'ü').toUtf8(), QString(25, u'ü').toUtf8()},
        {2, -5, last, last}, // a negative limit names no size to cut to
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << int(c.mode) << ", limit " << c.limit);
        ASSERT_TRUE(WriteAll(logFile(), c.old));
        StartLog(c.mode, c.limit, "Vellmoran");
        EXPECT_EQ(LogPath(), logFile());
        const QByteArray log = ReadAll(logFile());
        EXPECT_EQ(log.left(c.kept.size()), c.kept);
        EXPECT_TRUE(IsStartLine(log.mid(c.kept.size()))) << log.right(200).constData();
    }
}

TEST_F(LogTest, MessageLinesInAFolderThatDidNotExist) {
    // Nothing is written before the start.
    EXPECT_TRUE(LogPath().isNull());
    LogError("early", "context");
    EXPECT_FALSE(QFileInfo::exists(DocumentsFolder()));
    StartLog(1, 12000, QString());
    EXPECT_EQ(LogPath(), DocumentsFolder() + "/Tavo.txt");
    const qsizetype start = ReadAll(LogPath()).size();

    LogError(QString(), "/x/Tavo.plist");
    LogFormat(QString(), "ignored");
    LogError("Permission denied", "/x/Tavo.plist");
    LogError("Disk 100%s full"); // an error is no format
    LogFormat("%@ %d%% of %s, %@", "Grüße aus Köln", 42, "qxd", QString());
    // No name forges a line or changes how a terminal shows it.
    LogError("renamed", DecodeFileName("/a\t\n12:00:00.000: Tavo::forged\xfc Broken 💀.app") +
                            QString::fromUtf16(u"\u0085\u009b[31m\u2028\u202e"));
    WriteLog(QString());
    const QRegularExpression form(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}: Tavo::"));
    QStringList messages = QString::fromUtf8(ReadAll(LogPath()).mid(start)).split('\n');
    for (QString &line : messages)
        line.remove(form);
    EXPECT_EQ(messages, QStringList({"/x/Tavo.plist: Permission denied", "Disk 100%s full",
                                     "Grüße aus Köln 42% of qxd, (null)",
                                     "/a\\t\\n12:00:00.000: Tavo::forged\\xfc Broken 💀.app"
                                     "\\u0085\\u009b[31m\\u2028\\u202e: renamed",
                                     "(null)"}));

    // A log removed while Tavo runs is not brought back by later lines.
    ASSERT_TRUE(QFile::remove(LogPath()));
    LogFormat("%@", "lost");
    EXPECT_FALSE(QFileInfo::exists(LogPath()));
}

// Nothing but the log is ever cut or written: not a folder in its place, nor
// what a link there leads to, nor anything in another user's folder. The cut
// of a big log reads only what it keeps, even under a memory limit.
TEST_F(LogTest, OnlyTheLogIsCutAndOnlyWhatItKeepsIsRead) {
    ASSERT_TRUE(WriteAll(logFile() + "/keep.txt", "somebody's file"));
    StartLog(1, 12000, "Vellmoran");
    LogFormat("%@", "nowhere to go");
    EXPECT_EQ(ReadAll(logFile() + "/keep.txt"), "somebody's file");
    ASSERT_TRUE(QDir(logFile()).removeRecursively());

    QFile big(logFile()); // 6 GiB of a hole, then the lines
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.seek(qint64(6) << 30) &&
                big.write(Lines()) > 0);
    big.close();
    const auto startWithLittleMemory = [&] {
#if !defined(__SANITIZE_ADDRESS__) // its shadow memory needs more than any limit
        const rlim_t held = ReadAll("/proc/self/statm").split(' ')[0].toULongLong() * 4096;
        const rlimit room{held + (256 << 20), RLIM_INFINITY}; // a quarter gigabyte more
        ::setrlimit(RLIMIT_AS, &room);
#endif
        StartLog(0, 12000, "Vellmoran");
        return ReadAll(logFile()).startsWith(Lines().right(1090 * 11) + kSeparator) ? 0 : 1;
    };
    EXPECT_EQ(InChild(startWithLittleMemory), 0);

    ASSERT_TRUE(QFile::remove(logFile()) && WriteAll(home.filePath("notes.txt"), Lines()) &&
                QFile::link(home.filePath("notes.txt"), logFile()));
    StartLog(0, 12000, "Vellmoran");
    LogFormat("%@", "not here");
    EXPECT_EQ(ReadAll(home.filePath("notes.txt")), Lines());

    // As root with another user's home: nothing is made or written in it.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(DocumentsFolder()), 65534, 65534), 0);
        StartLog(1, 12000, "Other");
        EXPECT_TRUE(LogPath().isNull() && !QFileInfo::exists(DocumentsFolder() + "/Other"));
    }
    // A home whose name is not UTF-8 is the real one, not a look-alike.
    ScopedEnv foreignHome("HOME", QFile::encodeName(home.path()) + "/h\xf6me");
    StartLog(1, 12000, "Vellmoran");
    EXPECT_EQ(::access(qgetenv("HOME") + "/Documents/Vellmoran/Tavo.txt", F_OK), 0);
}

} // namespace
