#include "toolkit/Log.h"
#include "TestSupport.h"
#include "platform/FileName.h"
#include "platform/Folders.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray kSeparator = QByteArray(73, '-') + '\n';

bool IsStartLine(const QByteArray &line) {
    static const QRegularExpression form(QStringLiteral("^[^\\n]+: Tavo 2\\.20\\n$"));
    return form.match(QString::fromUtf8(line)).hasMatch();
}

// Each test has a home of its own, so its Documents folder starts empty.
class LogTest : public ::testing::Test {
protected:
    QString logFile() const { return DocumentsFolder() + "/Vellmoran/Tavo.txt"; }

    QTemporaryDir home;
    ScopedEnv homeEnv{"HOME", QFile::encodeName(home.path())};
    ScopedEnv configEnv{"XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config"))};
};

TEST_F(LogTest, NothingIsWrittenBeforeTheStart) {
    if (LoggingEnabled())
        GTEST_SKIP() << "an earlier test in this process started the log";
    EXPECT_TRUE(LogPath().isNull());
    WriteLog("early");
    LogError("early", "context");
    EXPECT_FALSE(QFileInfo::exists(DocumentsFolder()));
}

TEST_F(LogTest, ModesDecideWhatIsKeptOfTheLastRun) {
    QByteArray old(20000, 'a');
    const auto start = [&](quint8 mode, qint64 limit) {
        EXPECT_TRUE(WriteAll(logFile(), old));
        StartLog(mode, limit, "Vellmoran");
        return ReadAll(logFile());
    };
    EXPECT_TRUE(IsStartLine(start(1, 12000)));
    EXPECT_EQ(LogPath(), logFile());

    QByteArray log = start(0, 12000);
    EXPECT_EQ(log.left(12000), old.right(12000));
    EXPECT_EQ(log.mid(12000, kSeparator.size()), kSeparator);
    EXPECT_TRUE(IsStartLine(log.mid(12000 + kSeparator.size())));

    log = start(0, 0);
    EXPECT_TRUE(log.startsWith(kSeparator) && IsStartLine(log.mid(kSeparator.size())));

    log = start(2, 100);
    EXPECT_TRUE(log.startsWith(old.right(100)) && IsStartLine(log.mid(100)));

    // A negative limit names no size to cut to: the log is kept whole.
    log = start(2, -5);
    EXPECT_TRUE(log.startsWith(old) && IsStartLine(log.mid(old.size())));

    old = "short\n";
    EXPECT_TRUE(start(0, 12000).startsWith(old + kSeparator));
}

TEST_F(LogTest, MessageLinesInAFolderThatDidNotExist) {
    StartLog(1, 12000, QString());
    EXPECT_EQ(LogPath(), DocumentsFolder() + "/Tavo.txt");
    const qsizetype start = ReadAll(LogPath()).size();
    EXPECT_TRUE(IsStartLine(ReadAll(LogPath())));

    LogError(QString(), "/x/Tavo.plist");
    LogFormat(QString(), "ignored");
    LogError("Permission denied", "/x/Tavo.plist");
    LogError("Disk full");
    LogFormat("%@ %d%% of %s, %@", "Grüße aus Köln", 42, "qxd", QString());
    const QStringList lines = QString::fromUtf8(ReadAll(LogPath()).mid(start)).split('\n');
    const QRegularExpression form(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}: Tavo::"));
    QStringList messages;
    for (QString line : lines)
        messages.append(line.remove(form));
    EXPECT_EQ(messages, QStringList({"/x/Tavo.plist: Permission denied", "Disk full",
                                     "Grüße aus Köln 42% of qxd, (null)", ""}));

    // A log removed while Tavo runs is not brought back by later lines.
    ASSERT_TRUE(QFile::remove(LogPath()));
    LogFormat("%@", "lost");
    EXPECT_FALSE(QFileInfo::exists(LogPath()));
}

TEST_F(LogTest, AFolderInTheLogsPlaceIsLeftAloneAndNoNameForgesALine) {
    ASSERT_TRUE(WriteAll(logFile() + "/keep.txt", "somebody's file"));
    StartLog(1, 12000, "Vellmoran");
    LogFormat("%@", "nowhere to go");
    EXPECT_EQ(ReadAll(logFile() + "/keep.txt"), QByteArray("somebody's file"));

    ASSERT_TRUE(QDir(logFile()).removeRecursively());
    StartLog(1, 12000, "Vellmoran");
    LogError("could not be renamed", DecodeFileName("/jobs/a\n12:00:00.000: Tavo::forged\xfc"));
    const QList<QByteArray> lines = ReadAll(logFile()).split('\n');
    ASSERT_EQ(lines.size(), 3); // the start line, one message, the end
    EXPECT_TRUE(
        lines[1].endsWith("/jobs/a\\n12:00:00.000: Tavo::forged\\xfc: could not be renamed"))
        << lines[1].constData();
}

} // namespace
