#include "TestSupport.h"
#include "platform/PropertyList.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

#include <gtest/gtest.h>

namespace {

// A real Tavo in a home of its own, ended the ways a session ends it.
class SessionEndTest : public ::testing::Test {
protected:
    // The home is private enough to hold the socket too.
    void SetUp() override {
        for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            env.insert(name, home.path());
    }

    // Starts Tavo and waits until it has started its log and shown its windows.
    bool start() {
        const QString log = home.filePath("Documents/Vellmoran/Tavo.txt");
        QFile::remove(log);
        tavo.setProcessEnvironment(env);
        tavo.start(QStringLiteral(TAVO_BIN_DIR "/tavo"), {});
        const bool logged = QTest::qWaitFor([&] { return !ReadAll(log).isEmpty(); }, 20000);
        QThread::msleep(300); // the event loop runs
        return logged && tavo.state() == QProcess::Running;
    }

    // Once Tavo has ended, it has run its quitting steps once: what they saved.
    QVariantMap ended() {
        EXPECT_TRUE(tavo.waitForFinished(20000));
        EXPECT_EQ(tavo.readAllStandardError().count("applicationWillTerminate: 1\n"), 1);
        return ReadPropertyListFile(home.filePath("Vellmoran/Tavo.plist")).toMap();
    }

    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QProcess tavo;
};

TEST_F(SessionEndTest, ASignalRunsTheQuittingStepsOnce) {
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        QFile::remove(home.filePath("Vellmoran/Tavo.plist"));
        ASSERT_TRUE(start());
        ::kill(pid_t(tavo.processId()), signalNumber);
        const QVariantMap settings = ended();
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
    // libxkbcommon-x11 copies counted names that end in no NUL with strndup,
    // which the sanitizers' strict string checks take for an overread.
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":strict_string_checks=0");
    ASSERT_TRUE(start());
    server.kill();
    server.waitForFinished();
    EXPECT_EQ(ended().value("visible").toLongLong(), 1);
}

} // namespace
