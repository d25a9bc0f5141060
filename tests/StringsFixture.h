#pragma once

// A sandbox for the string, alert and translation tests: its own resource
// folder as the bundle, no string table, and a recorder in place of the modal
// alert box. Everything process-wide is put back afterwards.

#include "strings/Alerts.h"
#include "strings/StringTable.h"
#include "toolkit/Resources.h"

#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

class StringsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        mSavedBundle = gBundle;
        mSavedStrings = gStrings;
        mSavedDetail = pendingAlertDetail;
        gBundle = Bundle(mResources.path());
        gStrings.reset();
        pendingAlertDetail = QString();
        mSavedPresenter = SetAlertPresenter([this](const AlertRequest &request) {
            alerts.append(request);
            return answers.isEmpty() ? 1 : answers.takeFirst();
        });
    }

    void TearDown() override {
        SetAlertPresenter(mSavedPresenter);
        gBundle = mSavedBundle;
        gStrings = mSavedStrings;
        pendingAlertDetail = mSavedDetail;
    }

    void writeResource(const QString &fileName, const QByteArray &content) {
        QFile file(mResources.filePath(fileName));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // Loads MyStrings.xml holding `xml` for a user of `language`.
    void loadTable(const QByteArray &xml, const QString &language) {
        writeResource(QStringLiteral("MyStrings.xml"), xml);
        LoadStringTable(QStringLiteral("MyStrings"), language);
    }

    QList<AlertRequest> alerts;
    QList<int> answers; // codes the recorder answers, in turn; 1 when none is left

private:
    QTemporaryDir mResources;
    std::optional<Bundle> mSavedBundle;
    std::optional<QVariantMap> mSavedStrings;
    QString mSavedDetail;
    AlertPresenter mSavedPresenter;
};
