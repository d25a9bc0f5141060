// SPDX-License-Identifier: MIT
// The string table that ships with Tavo: every key the program passes has an
// English and a German text that fit its arguments.

#include "TestSupport.h"
#include "platform/Format.h"
#include "strings/QtTranslations.h"
#include "strings/StringTable.h"
#include "strings/StringTableFile.h"
#include "toolkit/Resources.h"
#include "toolkit/XmlHelpers.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>

#include <gtest/gtest.h>

namespace {

// The languages of every key as the file states them, so that a missing
// German text is not hidden by the fall-back to English.
QHash<QString, QSet<QString>> LanguagesOfKeys() {
    QHash<QString, QSet<QString>> languages;
    const XmlDocument document = LoadXMLDocument(ResourcePath("MyStrings", "xml"), 0);
    xmlNode *root = document ? xmlDocGetRootElement(document.get()) : nullptr;
    for (xmlNode *text : NodesForXPath(root, "/strings2/*/*").value_or(QList<xmlNode *>()))
        languages[NodeName(text->parent)].insert(NodeName(text));
    return languages;
}

TEST(ResourceStringsTest, EveryKeyOfTheProgramHasEnglishAndGermanThatFitItsArguments) {
    const auto languages = LanguagesOfKeys();
    const QString keys = "about copyright showPanel hidePanel appNotFound unknownDocType Mac Win "
                         "yes no ok cancel ignore chooseApp notSet openTitle layoutDocuments "
                         "allFiles browse appLocations";
    for (const QString &key : keys.split(' '))
        EXPECT_EQ(languages.value(key), (QSet<QString>{"en", "de"})) << key.toStdString();

    for (const QString language : {"en", "de"}) {
        ASSERT_TRUE(LoadStringTable("MyStrings", language));
        const QString shown = Format(GetString("about"), "Tavo", "2.20") +
                              Format(GetString("copyright"), 2019) +
                              Format(GetString("appNotFound"), QString("QuarkXPress 2016")) +
                              Format(GetString("chooseAppFor"), QString("QuarkXPress 2016")) +
                              Format(GetString("chooseAppHint"), QString("QuarkXPress 2016")) +
                              Format(GetString("entryRefused"), QString("QuarkXPress 2016"));
        EXPECT_FALSE(shown.contains("(null)") || shown.contains('%')) << shown.toStdString();
        // The About box gives the years and the licence of LICENSE.
        for (const char *argument : {"Tavo", "2.20", "2019–2026", "MIT", "QuarkXPress 2016"})
            EXPECT_TRUE(shown.contains(argument)) << shown.toStdString();
    }

    // Qt's own dialogs speak German too.
    ASSERT_TRUE(LoadQtTranslations("de"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Suchen in:");
    EXPECT_FALSE(LoadQtTranslations(QString()));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
}

} // namespace
