#include "DocFixtures.h"
#include "app/IdentifyJson.h"
#include "doc/IdentifyDocument.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode;
    QList<QByteArray> lines;
    QByteArray err;
};

ToolRun RunIdentify(const QStringList &args, const QByteArray &input = {}) {
    QProcess p;
    p.start(QStringLiteral(TAVO_BIN_DIR "/tavo-identify"), args);
    EXPECT_TRUE(p.waitForStarted());
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return {p.exitCode(), lines, p.readAllStandardError()};
}

QJsonObject Parse(const QByteArray &line) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line.constData();
    return doc.object();
}

class IdentifyToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteFile(quark, FromHex("00004D4D58505233204C204C5850")));
        ASSERT_TRUE(WriteFile(indesign, InDesignVersionBytes(0x0E, 0, 0, 0, 0)));
        ASSERT_TRUE(WriteFile(other, QByteArray(600, 'x')));
    }
    QTemporaryDir dir;
    QString quark = dir.filePath(QStringLiteral("Plan \"A\".qxd"));
    QString indesign = dir.filePath(QStringLiteral("Buch.indd"));
    QString other = dir.filePath(QStringLiteral("notes.txt"));
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
}

TEST_F(IdentifyToolTest, UnrecognisedFilesAndUsageErrorsSetTheExitStatus) {
    const ToolRun run = RunIdentify({quark, other, dir.filePath("missing")});
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.lines.size(), 3);
    const QJsonObject o = Parse(run.lines[1]);
    EXPECT_FALSE(o.value("recognised").toBool());
    EXPECT_TRUE(o.value("creator").isNull());
    EXPECT_EQ(o.value("version").toInt(-1), 0);
    EXPECT_TRUE(o.value("appName").isNull());
    EXPECT_FALSE(Parse(run.lines[2]).value("recognised").toBool());

    const ToolRun usage = RunIdentify({});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(usage.lines.isEmpty());
    EXPECT_EQ(usage.err.count('\n'), 1);

    const ToolRun help = RunIdentify({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_FALSE(help.lines.isEmpty());
}

TEST_F(IdentifyToolTest, ReadsPathsFromStandardInput) {
    const QByteArray input = (indesign + "\n" + other + "\r\n\n" + quark).toUtf8();
    const ToolRun run = RunIdentify({"-"}, input);
    EXPECT_EQ(run.exitCode, 1);
    ASSERT_EQ(run.lines.size(), 3);
    EXPECT_EQ(Parse(run.lines[0]).value("path").toString(), indesign);
    EXPECT_EQ(Parse(run.lines[1]).value("path").toString(), other);
    EXPECT_EQ(Parse(run.lines[2]).value("versionName").toString(), QLatin1String("2016"));
}

TEST(IdentifyJsonTest, EscapesPathsAndWritesNullForAbsentTexts) {
    DocInfo info;
    const QByteArray line = IdentifyJsonLine(QStringLiteral("a\\b\"c\nd\x01"), info);
    EXPECT_EQ(line, QByteArray("{\"path\":\"a\\\\b\\\"c\\nd\\u0001\",\"recognised\":false,"
                               "\"creator\":null,\"version\":0,\"versionName\":null,\"os\":null,"
                               "\"ext\":null,\"appName\":null,\"type\":null}\n"));
}

} // namespace
