// SPDX-License-Identifier: MIT
#include "toolkit/Log.h"
#include "TestSupport.h"
#include "platform/FileName.h"
#include "platform/Folders.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray kSeparator = QByteArray(73, '-') + '\n';

// The whole text is one start line.
bool IsStartLine(const QByteArray &text) {
    static const QRegularExpression form(QStringLiteral("^[^\\n]+: Tavo 2\\.20\\n$"));
    return form.match(QString::fromUtf8(text)).hasMatch();
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
    // Lines of the last run, oldest first, so that a cut shows which end it kept.
    QByteArray last;
    for (int i = 0; i < 2000; ++i)
        last += QByteArray::number(100000 + i) + " ran\n";
    const struct {
        quint8 mode;
        qint64 limit;
        QByteArray old, kept;
    } cases[] = {
        {1, 12000, last, ""}, // a fresh log
        {0, 12000, last, last.right(12000) + kSeparator},
        {0, 12000, "short\n", "short\n" + kSeparator},
        {0, 0, last, kSeparator},
        {2, 100, last, last.right(100)},
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
    LogError("Disk full");
    LogFormat("%@ %d%% of %s, %@", "Grüße aus Köln", 42, "qxd", QString());
    WriteLog(QString());
    const QRegularExpression form(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}: Tavo::"));
    QStringList messages = QString::fromUtf8(ReadAll(LogPath()).mid(start)).split('\n');
    for (QString &line : messages)
        line.remove(form);
    EXPECT_EQ(messages, QStringList({"/x/Tavo.plist: Permission denied", "Disk full",
                                     "Grüße aus Köln 42% of qxd, (null)", "(null)"}));

    // A log removed while Tavo runs is not brought back by later lines.
    ASSERT_TRUE(QFile::remove(LogPath()));
    LogFormat("%@", "lost");
    EXPECT_FALSE(QFileInfo::exists(LogPath()));
}

TEST_F(LogTest, AFolderInTheLogsPlaceIsLeftAloneAndNoNameForgesALine) {
    ASSERT_TRUE(WriteAll(logFile() + "/keep.txt", "somebody's file"));
    StartLog(1, 12000, "Vellmoran");
    LogFormat("%@", "nowhere to go");
    EXPECT_EQ(ReadAll(logFile() + "/keep.txt"), "somebody's file");

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
