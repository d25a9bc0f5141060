// The string table that ships with Tavo: every key the program passes and
// every title of its interface files has an English and a German text.

#include "TestSupport.h"
#include "platform/Format.h"
#include "strings/QtTranslations.h"
#include "strings/StringTable.h"
#include "strings/StringTableFile.h"
#include "toolkit/Resources.h"
#include "toolkit/XmlHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The languages of every key as the file states them, so that a missing
// German text is not hidden by the fall-back to English.
QHash<QString, QSet<QString>> LanguagesOfKeys() {
    QHash<QString, QSet<QString>> languages;
    const XmlDocument document = LoadXMLDocument(ResourcePath("MyStrings", "xml"), 0);
    if (!document)
        return languages;
    xmlNode *root = xmlDocGetRootElement(document.get());
    const bool perEntry = NodeName(root) == "strings2";
    for (xmlNode *outer = root->children; outer; outer = outer->next) {
        for (xmlNode *inner = outer->children; inner; inner = inner->next) {
            if (inner->type != XML_ELEMENT_NODE)
                continue;
            if (perEntry)
                languages[NodeName(outer)].insert(NodeName(inner));
            else
                languages[NodeName(inner)].insert(NodeName(outer));
        }
    }
    return languages;
}

// The translatable titles of an interface file that lack an English or a
// German text, less the one trailing mark the walker keeps. Titles that are
// no XML names can never be keys and are shown as they stand.
QStringList UntranslatedTitles(const QString &uiPath) {
    static const QHash<QString, QSet<QString>> languages = LanguagesOfKeys();
    static const QRegularExpression xmlName(QStringLiteral("^[\\w][\\w.-]*$"),
                                            QRegularExpression::UseUnicodePropertiesOption);
    const XmlDocument document = LoadXMLDocument(uiPath, 0);
    const auto titles = NodesForXPath(
        xmlDocGetRootElement(document.get()),
        "//property[@name='text' or @name='title' or @name='windowTitle']/string[not(@notr)]"
        " | //attribute[@name='title']/string[not(@notr)]");
    if (!titles)
        return {"unreadable " + uiPath};
    QStringList missing;
    for (xmlNode *node : *titles) {
        QString key = NodeStringValue(node);
        if (QStringList{":", "?", "!", QString::fromUtf8("…")}.contains(key.right(1)))
            key.chop(1);
        if (xmlName.match(key).hasMatch() && !key[0].isDigit() &&
            !(languages.value(key).contains("en") && languages.value(key).contains("de")))
            missing << key;
    }
    return missing;
}

TEST(ResourceStringsTest, EveryKeyOfTheProgramHasEnglishAndGermanThatFitItsArguments) {
    const auto languages = LanguagesOfKeys();
    for (const QString key :
         {"about", "copyright", "showPanel", "hidePanel", "appNotFound", "unknownDocType", "Mac",
          "Win", "yes", "no", "ok", "cancel", "ignore", "chooseApp", "Applications"})
        EXPECT_EQ(languages.value(key), (QSet<QString>{"en", "de"})) << key.toStdString();

    for (const QString language : {"en", "de"}) {
        LoadStringTable("MyStrings", language);
        ASSERT_TRUE(gStrings);
        const QStringList shown{Format(GetString("about"), "Tavo", "2.20"),
                                Format(GetString("copyright"), 2019),
                                Format(GetString("appNotFound"), QString("QuarkXPress 2016"))};
        for (const QString &text : shown)
            EXPECT_FALSE(text.contains("(null)") || text.contains('%')) << text.toStdString();
        EXPECT_TRUE(shown[0].contains("Tavo") && shown[0].contains("2.20"));
        EXPECT_TRUE(shown[1].contains("2019"));
        EXPECT_TRUE(shown[2].contains("QuarkXPress 2016"));
    }

    // A German user sees German, an Italian one English.
    LoadStringTable("MyStrings", PreferredLanguageCode({"de-AT", "en-US"}));
    EXPECT_EQ(GetString("cancel"), "Abbrechen");
    LoadStringTable("MyStrings", PreferredLanguageCode({"it-IT"}));
    EXPECT_EQ(GetString("cancel"), "Cancel");

    // Qt's own dialogs follow the same choice.
    ASSERT_TRUE(LoadQtTranslations("de"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Suchen in:");
    EXPECT_FALSE(LoadQtTranslations(QString()));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
}

TEST(ResourceStringsTest, EveryInterfaceTitleHasEnglishAndGerman) {
    QTemporaryDir dir;
    QFile probe(dir.filePath("Probe.ui"));
    ASSERT_TRUE(probe.open(QIODevice::WriteOnly));
    probe.write(R"(<ui version="4.0"><widget class="QMainWindow" name="w">
      <property name="windowTitle"><string>Tavo</string></property>
      <widget class="QTabWidget" name="t"><widget class="QWidget" name="p">
        <attribute name="title"><string>noSuchTab:</string></attribute></widget></widget>
      <widget class="QLabel" name="l"><property name="text"><string>Free text</string></property></widget>
      <widget class="QLabel" name="n"><property name="text"><string notr="true">notATitle</string></property></widget>
      <action name="a"><property name="text"><string>noSuchAction…</string></property></action>
    </widget></ui>)");
    probe.close();
    EXPECT_EQ(UntranslatedTitles(probe.fileName()), (QStringList{"noSuchTab", "noSuchAction"}));

    const QDir resources(gBundle->resourceFolder());
    for (const QString &file : resources.entryList({"*.ui"}, QDir::Files))
        EXPECT_EQ(UntranslatedTitles(resources.filePath(file)), QStringList())
            << file.toStdString();
}

} // namespace
