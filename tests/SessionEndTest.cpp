// SPDX-License-Identifier: MIT
#include "DocFixtures.h"
#include "TestSupport.h"
#include "platform/PropertyList.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <utility>

#include <gtest/gtest.h>

namespace {

constexpr int kSessionManager = -1;

// A real Tavo in a home of its own (private enough to hold the socket too),
// ended the ways a session ends it: by a signal, by the X server going away
// (0), or by the session manager's end of the session, while the alert of
// the first of two documents is open. Each time it runs its quitting steps
// once, saves its settings and opens nothing more.
TEST(SessionEndTest, EveryWayASessionEndsRunsTheQuittingStepsOnce) {
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    for (const int how : {SIGTERM, SIGHUP, SIGINT, 0, kSessionManager}) {
        SCOPED_TRACE(how);
        QTemporaryDir home;
        ASSERT_TRUE(WriteAll(home.filePath("notes.txt"), QByteArray(600, 'x')));
        ASSERT_TRUE(WriteAll(home.filePath("Buch.indd"), InDesignVersionBytes(8, 0, 0, 0, 0)));
        QProcessEnvironment env = TavoEnvironment(home.path());
        QProcess server, tavo; // the server tells the display it chose on its standard output
        if (how <= 0) {
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
        // The session manager tells where it listens, and then what Tavo did.
        QProcess manager;
        const auto next = [&manager] {
            const QDeadlineTimer deadline(20000);
            while (!manager.canReadLine() && manager.waitForReadyRead(deadline.remainingTime())) {
            }
            return manager.readLine().trimmed();
        };
        const auto ask = [&manager](const char *request) {
            manager.write(QByteArray(request) + '\n');
            manager.waitForBytesWritten();
        };
        if (how == kSessionManager) {
            manager.start(QStringLiteral(TAVO_BIN_DIR "/xsmp-manager"), {});
            env.insert("SESSION_MANAGER", next());
        }
        tavo.setProcessEnvironment(env);
        tavo.start(QStringLiteral(TAVO_BIN_DIR "/tavo"),
                   {home.filePath("notes.txt"), home.filePath("Buch.indd")});
        if (how == kSessionManager) {
            ASSERT_EQ(next(), "registered");
        }
        // Started once it has begun its log; then its event loop runs.
        const QString log = home.filePath("Documents/Vellmoran/Tavo.txt");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !ReadAll(log).isEmpty(); }, 20000));
        QThread::msleep(300);
        // Its start may not have been taken in yet: the log can come first.
        ASSERT_TRUE(tavo.waitForStarted(20000) && tavo.state() == QProcess::Running);
        const QString settingsFile = home.filePath("Vellmoran/Tavo.plist");
        const auto visible = [&] {
            return ReadPropertyListFile(settingsFile).toMap().value("visible").toLongLong();
        };
        if (how == kSessionManager) {
            // A checkpoint, and a logout that another program cancels: each
            // time Tavo saves, and runs on with its windows as they were.
            for (const auto &[save, end] :
                 {std::pair{"checkpoint", "complete"}, std::pair{"logout", "cancel"}}) {
                ask(save);
                ASSERT_EQ(next(), "saved");
                ask(end);
                EXPECT_EQ(visible(), 1);
                EXPECT_FALSE(tavo.waitForFinished(500));
                EXPECT_EQ(tavo.readAllStandardError(), "");
            }
            ask("logout");
            ASSERT_EQ(next(), "saved");
            ask("die");
        } else {
            how ? (void)::kill(pid_t(tavo.processId()), how) : server.kill();
        }
        EXPECT_TRUE(tavo.waitForFinished(20000));
        server.kill();
        server.waitForFinished();
        manager.closeWriteChannel();
        manager.waitForFinished();
        EXPECT_EQ(tavo.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(tavo.readAllStandardError().count("applicationWillTerminate: 1\n"), 1);
        EXPECT_EQ(visible(), 1); // the first start shows the panel
        // Without its X server Tavo ends inside the alert; otherwise the next
        // document is left alone.
        if (how) {
            EXPECT_TRUE(ReadAll(log).contains("Buch.indd: not opened")) << ReadAll(log).data();
        }
    }
}

} // namespace
