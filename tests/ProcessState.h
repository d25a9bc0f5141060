// SPDX-License-Identifier: MIT
#pragma once

// Every test starts from the same process-wide state and leaves nothing of
// its own behind, whatever the order the tests run in: the resource bundle,
// the string table, the settings store, the log, the pending alert detail,
// the alert presenter and the desktop launcher are saved before each test
// and put back after it. While a test runs, no alert can open a modal box
// and no desktop application is started unless the test asks for it.

#include "platform/DesktopApps.h"
#include "strings/Alerts.h"
#include "strings/StringTable.h"
#include "toolkit/Log.h"
#include "toolkit/Resources.h"
#include "toolkit/TavoSettings.h"

#include <gtest/gtest.h>

class ProcessStateGuard : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &) override {
        mBundle = gBundle;
        mStrings = gStrings;
        mSettings = gSettings;
        StopLog();
        mPresenter = SetAlertPresenter([](const AlertRequest &) {
            ADD_FAILURE() << "an alert was shown with no test watching for it";
            return 1;
        });
        mLauncher = SetDesktopLauncher([](const QString &id, const QStringList &, bool) {
            ADD_FAILURE() << "a test would have started " << id.toStdString();
            return false;
        });
    }

    void OnTestEnd(const ::testing::TestInfo &) override {
        gBundle = mBundle;
        gStrings = mStrings;
        if (gSettings != mSettings)
            delete gSettings;
        gSettings = mSettings;
        StopLog();
        pendingAlertDetail = QString();
        SetAlertPresenter(mPresenter);
        SetDesktopLauncher(mLauncher);
    }

    std::optional<Bundle> mBundle;
    std::optional<QVariantMap> mStrings;
    TavoSettings *mSettings = nullptr;
    AlertPresenter mPresenter;
    DesktopLauncher mLauncher;
};
