// SPDX-License-Identifier: MIT
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

// A real Tavo in a home of its own (private enough to hold the socket too),
// ended the ways a session ends it: by a signal, or by the X server going
// away (0). Each time it runs its quitting steps once and saves its settings.
TEST(SessionEndTest, EveryWayASessionEndsRunsTheQuittingStepsOnce) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    for (const int how : {SIGTERM, SIGHUP, SIGINT, 0}) {
        SCOPED_TRACE(how);
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            env.insert(name, home.path());
        QProcess server, tavo; // the server tells the display it chose on its standard output
        if (how == 0) {
            if (xvfb.isEmpty())
                break; // no Xvfb to stand in for the X server
            server.start(xvfb, {"-displayfd", "1", "-nolisten", "tcp"});
            ASSERT_TRUE(server.waitForReadyRead(20000));
            env.insert("DISPLAY", ":" + server.readAllStandardOutput().trimmed());
            env.insert("QT_QPA_PLATFORM", "xcb");
            // libxkbcommon-x11 copies counted names that end in no NUL with strndup,
            // which the sanitizers' strict string checks take for an overread.
            env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":strict_string_checks=0");
        }
        tavo.setProcessEnvironment(env);
        tavo.start(QStringLiteral(TAVO_BIN_DIR "/tavo"), {});
        // Started once it has begun its log; then its event loop runs.
        const QString log = home.filePath("Documents/Vellmoran/Tavo.txt");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !ReadAll(log).isEmpty(); }, 20000));
        QThread::msleep(300);
        ASSERT_EQ(tavo.state(), QProcess::Running);
        how ? (void)::kill(pid_t(tavo.processId()), how) : server.kill();
        server.waitForFinished();
        EXPECT_TRUE(tavo.waitForFinished(20000));
        EXPECT_EQ(tavo.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tavo.readAllStandardError().count("applicationWillTerminate: 1\n"), 1);
        const QVariantMap settings =
            ReadPropertyListFile(home.filePath("Vellmoran/Tavo.plist")).toMap();
        EXPECT_EQ(settings.value("visible").toLongLong(), 1); // the first start shows the panel
    }
}

} // namespace
