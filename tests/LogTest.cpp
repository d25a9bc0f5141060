#include "toolkit/Log.h"
#include "QtPrinters.h"
#include "ScopedEnv.h"
#include "platform/Folders.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QByteArray kSeparator = QByteArray(73, '-') + '\n';

QByteArray ReadAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool IsStartLine(const QByteArray &line) {
    return QRegularExpression(QStringLiteral("^[^\\n]+: Tavo 2\\.20\\n$"))
        .match(QString::fromUtf8(line))
        .hasMatch();
}

// Each test gets a home of its own, so its Documents folder starts empty.
class LogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(home.isValid()); }

    QString logFile() const { return DocumentsFolder() + "/Vellmoran/Tavo.txt"; }
    // The messages of the message lines after the start, checked for form.
    QStringList messages(qsizetype from) const {
        const QString text = QString::fromUtf8(ReadAll(logFile()).mid(from));
        QStringList out;
        const QRegularExpression form(
            QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3}: Tavo::(.*)$"));
        for (const QString &line : text.split('\n', Qt::SkipEmptyParts)) {
            const auto match = form.match(line);
            out.append(match.hasMatch() ? match.captured(1) : "BAD FORM: " + line);
        }
        return out;
    }

    QTemporaryDir home;
    ScopedEnv homeEnv{"HOME", QFile::encodeName(home.path())};
    ScopedEnv configEnv{"XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config"))};
};

TEST_F(LogTest, NothingIsWrittenBeforeTheStart) {
    if (LoggingEnabled())
        GTEST_SKIP() << "an earlier test in this process started the log";
    EXPECT_TRUE(LogPath().isNull());
    WriteLog("early");
    LogFormat("%@", "early");
    LogError("early", "context");
    EXPECT_FALSE(QFileInfo::exists(logFile()));
    EXPECT_FALSE(QFileInfo::exists(DocumentsFolder()));
}

TEST_F(LogTest, ModesDecideWhatIsKeptOfTheLastRun) {
    QByteArray old(20000, 'a');
    for (int i = 0; i < old.size(); i += 100)
        old[i] = '\n';

    // Mode 1: a fresh log holding only the start line.
    ASSERT_TRUE(WriteAll(logFile(), old));
    StartLog(1, 12000, "Vellmoran");
    EXPECT_EQ(LogPath(), logFile());
    EXPECT_TRUE(IsStartLine(ReadAll(logFile()))) << ReadAll(logFile()).constData();

    // Mode 0: the last bytes up to the limit, a separator, the start line.
    ASSERT_TRUE(WriteAll(logFile(), old));
    StartLog(0, 12000, "Vellmoran");
    QByteArray log = ReadAll(logFile());
    ASSERT_GT(log.size(), 12000 + kSeparator.size());
    EXPECT_EQ(log.left(12000), old.right(12000));
    EXPECT_EQ(log.mid(12000, kSeparator.size()), kSeparator);
    EXPECT_TRUE(IsStartLine(log.mid(12000 + kSeparator.size())));

    // A log within the limit is kept whole.
    ASSERT_TRUE(WriteAll(logFile(), "short\n"));
    StartLog(0, 12000, "Vellmoran");
    EXPECT_TRUE(ReadAll(logFile()).startsWith("short\n" + kSeparator));

    // Mode 0 with limit 0 drops the old log.
    ASSERT_TRUE(WriteAll(logFile(), old));
    StartLog(0, 0, "Vellmoran");
    log = ReadAll(logFile());
    EXPECT_TRUE(log.startsWith(kSeparator));
    EXPECT_TRUE(IsStartLine(log.mid(kSeparator.size())));

    // Other modes cut without a separator.
    ASSERT_TRUE(WriteAll(logFile(), old));
    StartLog(2, 100, "Vellmoran");
    log = ReadAll(logFile());
    EXPECT_EQ(log.left(100), old.right(100));
    EXPECT_TRUE(IsStartLine(log.mid(100)));

    // A negative limit is no size to cut to: the log is kept whole.
    ASSERT_TRUE(WriteAll(logFile(), old));
    StartLog(2, -5, "Vellmoran");
    log = ReadAll(logFile());
    EXPECT_EQ(log.left(old.size()), old);
    EXPECT_TRUE(IsStartLine(log.mid(old.size())));
}

TEST_F(LogTest, WithoutAMakerFolderTheLogIsInDocuments) {
    ASSERT_FALSE(QFileInfo::exists(DocumentsFolder()));
    StartLog(1, 12000, QString());
    EXPECT_EQ(LogPath(), DocumentsFolder() + "/Tavo.txt");
    EXPECT_TRUE(IsStartLine(ReadAll(LogPath())));
}

TEST_F(LogTest, MessageLines) {
    StartLog(1, 12000, "Vellmoran");
    const qsizetype start = ReadAll(logFile()).size();

    LogError(QString(), "/x/Tavo.plist");
    LogError(QString());
    LogFormat(QString(), "ignored");
    EXPECT_TRUE(messages(start).isEmpty());

    LogError("Permission denied", "/x/Tavo.plist");
    LogError("Disk full");
    LogFormat("%@ %d%% of %s", "Grüße aus Köln", 42, "qxd");
    LogFormat("%@", QString());
    LogFormat("%@ and %@", "one");
    EXPECT_EQ(messages(start),
              QStringList({"/x/Tavo.plist: Permission denied", "Disk full",
                           "Grüße aus Köln 42% of qxd", "(null)", "one and (null)"}));
    EXPECT_TRUE(ReadAll(logFile()).contains("Gr\xC3\xBC\xC3\x9F"
                                            "e aus K\xC3\xB6ln"));

    WriteLog(QString());
    EXPECT_TRUE(ReadAll(logFile()).endsWith("\n(null)"));

    // A log removed while Tavo runs is not brought back by later lines.
    ASSERT_TRUE(QFile::remove(logFile()));
    LogFormat("%@", "lost");
    EXPECT_FALSE(QFileInfo::exists(logFile()));
}

} // namespace
