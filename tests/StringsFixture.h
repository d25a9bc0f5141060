// SPDX-License-Identifier: MIT
#pragma once

// A sandbox for the string, alert and translation tests: a resource folder of
// its own as the bundle, no string table, and a recorder in place of the modal
// alert box. Everything process-wide is put back afterwards (ProcessState.h).

#include "TestSupport.h"
#include "strings/Alerts.h"
#include "strings/StringTable.h"
#include "strings/StringTableFile.h"
#include "toolkit/Resources.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

class StringsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        gBundle = Bundle(mResources.path());
        gStrings.reset();
        SetAlertPresenter([this](const AlertRequest &request) {
            alerts.append(request);
            return answers.isEmpty() ? 1 : answers.takeFirst();
        });
    }

    void writeResource(const QString &fileName, const QByteArray &content) {
        ASSERT_TRUE(WriteAll(mResources.filePath(fileName), content));
    }

    // Loads MyStrings.xml holding `xml` for a user of `language`.
    void loadTable(const QByteArray &xml, const QString &language) {
        writeResource(QStringLiteral("MyStrings.xml"), xml);
        LoadStringTable(QStringLiteral("MyStrings"), language);
    }

    QList<AlertRequest> alerts;
    QList<int> answers; // the codes the recorder answers in turn; then 1

private:
    QTemporaryDir mResources;
};
