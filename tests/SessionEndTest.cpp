#include "TestSupport.h"
#include "platform/PropertyList.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include <gtest/gtest.h>

namespace {

// A real Tavo in a home of its own, ended the ways a session ends it.
class SessionEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(home.filePath("run")));
        QFile::setPermissions(home.filePath("run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_RUNTIME_DIR", home.filePath("run"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
    }

    // Starts Tavo and waits until it has started its log and shown its windows.
    bool start() {
        tavo.setProcessEnvironment(env);
        tavo.start(QStringLiteral(TAVO_BIN_DIR "/tavo"), {});
        QDeadlineTimer deadline(20000);
        while (ReadAll(home.filePath("Documents/Vellmoran/Tavo.txt")).isEmpty()) {
            if (deadline.hasExpired() || tavo.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(20);
        }
        QThread::msleep(300); // the event loop runs
        return true;
    }

    // What the settings file holds once Tavo has ended, and how often it said so.
    QVariantMap endedWith(int *quitLines) {
        EXPECT_TRUE(tavo.waitForFinished(20000));
        *quitLines = int(tavo.readAllStandardError().count("applicationWillTerminate: 1\n"));
        return ReadPropertyListFile(home.filePath("config/Vellmoran/Tavo.plist")).toMap();
    }

    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess tavo;
};

TEST_F(SessionEndTest, ASignalRunsTheQuittingStepsOnce) {
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        QFile::remove(home.filePath("config/Vellmoran/Tavo.plist"));
        ASSERT_TRUE(start());
        ::kill(pid_t(tavo.processId()), signalNumber);
        int quitLines = 0;
        const QVariantMap settings = endedWith(&quitLines);
        EXPECT_EQ(quitLines, 1);
        EXPECT_EQ(settings.value("visible").toLongLong(), 1); // the first start shows the panel
        EXPECT_TRUE(settings.contains("Pos"));
        EXPECT_EQ(tavo.exitStatus(), QProcess::NormalExit);
    }
}

TEST_F(SessionEndTest, TheXConnectionGoingAwayRunsThemToo) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    if (xvfb.isEmpty())
        GTEST_SKIP() << "no Xvfb to stand in for the X server";
    QProcess server; // tells the display it chose on its standard output
    server.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp"});
    ASSERT_TRUE(server.waitForReadyRead(20000));
    env.insert("DISPLAY", ":" + server.readAllStandardOutput().trimmed());
    env.insert("QT_QPA_PLATFORM", "xcb");
    ASSERT_TRUE(start());
    server.kill();
    server.waitForFinished();
    int quitLines = 0;
    EXPECT_EQ(endedWith(&quitLines).value("visible").toLongLong(), 1);
    EXPECT_EQ(quitLines, 1);
}

} // namespace
