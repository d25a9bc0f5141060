// SPDX-License-Identifier: MIT
// Runs every test inside a QApplication on the offscreen platform, with the
// user's folders pointed at a fresh temporary home, so no test can touch the
// real settings, log or desktop.

#include "ProcessState.h"
#include "SandboxHome.h"
#include "TestDesktop.h"
#include "platform/DesktopApps.h"
#include "toolkit/Resources.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
    QTemporaryDir home;
    if (!home.isValid())
        return 3;
    PointUserFoldersAt(home.path());
    if (!InstallTestDesktop())
        return 3;
    // GLib takes the XDG folders once, at its first question; asked later,
    // inside a test's own sandbox, it would keep that one for every test.
    FileManagerApp();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    gBundle = Bundle::mainBundle();

    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ProcessStateGuard);
    return RUN_ALL_TESTS();
}
