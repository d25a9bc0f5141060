// SPDX-License-Identifier: MIT
#pragma once

// A sandbox for the tests of the desktop program: folders of its own for the
// settings, the defaults, the log and the applications; a fresh settings
// store; the shipped English texts; and a recorder in place of the alert box.
// The process-wide values set here are put back after each test by the guard
// of ProcessState.h.

#include "TestSupport.h"
#include "platform/PropertyList.h"
#include "strings/Alerts.h"
#include "strings/StringTable.h"
#include "strings/StringTableFile.h"
#include "toolkit/Log.h"
#include "toolkit/Resources.h"
#include "toolkit/TavoSettings.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

class DesktopFixture : public ::testing::Test {
protected:
    // What is set here goes back as it was after the test (ProcessState.h).
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(applications()));
        gSettings = new TavoSettings;
        LoadStringTable(QStringLiteral("MyStrings"), QStringLiteral("en"));
        SetAlertPresenter([this](const AlertRequest &request) {
            alerts.append(request);
            if (onAlert)
                onAlert(request);
            return answers.isEmpty() ? 1 : answers.takeFirst();
        });
        StartLog(1, 12000, QStringLiteral("Vellmoran"));
    }

    QString path(const QString &name) const { return mRoot.filePath(name); }
    QString applications() const { return mRoot.filePath(QStringLiteral("opt")); }
    QString settingsFile() const { return path(QStringLiteral("config/Vellmoran/Tavo.plist")); }
    QByteArray log() const { return ReadAll(LogPath()); }
    // What a file manager offers while it drags `file`.
    static std::unique_ptr<QMimeData> drag(const QString &file) {
        auto data = std::make_unique<QMimeData>();
        data->setUrls({QUrl::fromLocalFile(file)});
        return data;
    }

    // Values that an administrator presets for every user.
    void presetDefaults(const QVariantMap &values) {
        ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("xdg/Vellmoran"))));
        ASSERT_TRUE(WritePropertyListFile(path(QStringLiteral("xdg/Vellmoran/TavoDefaults.plist")),
                                          values));
    }

    QList<AlertRequest> alerts;
    std::function<void(const AlertRequest &)> onAlert;
    QList<int> answers; // the codes the recorder answers in turn; then 1

private:
    QTemporaryDir mRoot;
    ScopedEnv mConfigHome{"XDG_CONFIG_HOME", QFile::encodeName(mRoot.filePath("config"))};
    ScopedEnv mConfigDirs{"XDG_CONFIG_DIRS", QFile::encodeName(mRoot.filePath("xdg"))};
    ScopedEnv mHome{"HOME", QFile::encodeName(mRoot.path())};
};
