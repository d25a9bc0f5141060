// The string table that ships with Tavo: every key the program passes and
// every title of its interface files has an English and a German text.

#include "strings/Alerts.h"
#include "strings/StringTable.h"
#include "toolkit/Resources.h"
#include "toolkit/XmlHelpers.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Languages = QHash<QString, QSet<QString>>; // key to the languages it has

// The languages of every key, read from the file as it stands, so that a
// missing German text is not hidden by the fall-back to English.
Languages LanguagesOfKeys(const QString &path) {
    Languages languages;
    const XmlDocument document = LoadXMLDocument(path, 0);
    if (!document)
        return languages;
    xmlNode *root = xmlDocGetRootElement(document.get());
    const bool perEntry = NodeName(root) == QLatin1String("strings2");
    for (xmlNode *outer = root->children; outer; outer = outer->next) {
        if (outer->type != XML_ELEMENT_NODE)
            continue;
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

// Only an XML name can be a key; other titles always show as they are.
bool IsXmlName(const QString &text) {
    if (text.isEmpty() || !(text[0].isLetter() || text[0] == QLatin1Char('_')))
        return false;
    for (const QChar c : text) {
        if (!(c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-') ||
              c == QLatin1Char('.')))
            return false;
    }
    return true;
}

// The translatable titles of an interface file that lack an English or a
// German text: window titles, texts, titles, tab labels, item, column, action
// and menu titles, less the one trailing mark the walker keeps.
QStringList UntranslatedTitles(const QString &uiPath, const Languages &languages) {
    QStringList missing;
    const XmlDocument document = LoadXMLDocument(uiPath, 0);
    if (!document)
        return {QStringLiteral("(unreadable) ") + uiPath};
    const auto strings =
        NodesForXPath(xmlDocGetRootElement(document.get()),
                      "//property[@name='text' or @name='title' or @name='windowTitle']/string"
                      "[not(@notr='true')] | //attribute[@name='title']/string[not(@notr='true')]");
    if (!strings)
        return {QStringLiteral("(no query) ") + uiPath};
    static const QStringList kKept{":", "?", "!", QString::fromUtf8("…")};
    for (xmlNode *node : *strings) {
        QString key = NodeStringValue(node);
        if (!key.isEmpty() && kKept.contains(key.right(1)))
            key.chop(1);
        if (!IsXmlName(key))
            continue;
        const QSet<QString> have = languages.value(key);
        if (!have.contains(QStringLiteral("en")) || !have.contains(QStringLiteral("de")))
            missing << QFileInfo(uiPath).fileName() + QLatin1String(": ") + key;
    }
    return missing;
}

class ResourceStringsTest : public ::testing::Test {
protected:
    void SetUp() override {
        mSaved = gStrings;
        mSavedPresenter = SetAlertPresenter([](const AlertRequest &) { return 1; });
    }
    void TearDown() override {
        gStrings = mSaved;
        SetAlertPresenter(mSavedPresenter);
    }

    static QString tablePath() { return ResourcePath("MyStrings", "xml"); }

private:
    std::optional<QVariantMap> mSaved;
    AlertPresenter mSavedPresenter;
};

TEST_F(ResourceStringsTest, EveryKeyOfTheProgramHasEnglishAndGerman) {
    ASSERT_FALSE(tablePath().isNull());
    const Languages languages = LanguagesOfKeys(tablePath());
    const QStringList keys{
        "about", "copyright", "showPanel", "hidePanel", "appNotFound", "unknownDocType", "Mac",
        "Win",   "yes",       "no",        "ok",        "cancel",      "ignore"};
    for (const QString &key : keys) {
        EXPECT_TRUE(languages.value(key).contains("en")) << key.toStdString();
        EXPECT_TRUE(languages.value(key).contains("de")) << key.toStdString();
    }
}

TEST_F(ResourceStringsTest, TextsFitTheArgumentsTheProgramGives) {
    const QStringList formats{"about", "copyright", "appNotFound"};
    for (const QString language : {"en", "de"}) {
        LoadStringTable("MyStrings", language);
        ASSERT_TRUE(gStrings);
        const QString about = Format(GetString("about"), "Tavo", "2.20");
        EXPECT_TRUE(about.contains("Tavo") && about.contains("2.20")) << about.toStdString();
        const QString copyright = Format(GetString("copyright"), 2019);
        EXPECT_TRUE(copyright.contains("2019")) << copyright.toStdString();
        const QString missing = Format(GetString("appNotFound"), QString("QuarkXPress 2016"));
        EXPECT_TRUE(missing.contains("QuarkXPress 2016")) << missing.toStdString();
        for (const QString &shown : {about, copyright, missing})
            EXPECT_FALSE(shown.contains("(null)") || shown.contains('%')) << shown.toStdString();

        // Everything else is shown as it stands, with no conversions in it.
        for (auto it = gStrings->constBegin(); it != gStrings->constEnd(); ++it) {
            const QString text = it.value().toString();
            EXPECT_FALSE(text.trimmed().isEmpty()) << it.key().toStdString();
            if (!formats.contains(it.key())) {
                EXPECT_EQ(FormatString(text, {}), text) << it.key().toStdString();
            }
        }
    }
}

TEST_F(ResourceStringsTest, AGermanUserSeesGermanAndAnItalianEnglish) {
    LoadStringTable("MyStrings", PreferredLanguageCode({"de-AT", "en-US"}));
    EXPECT_EQ(GetString("showPanel"), QLatin1String("Panel einblenden"));
    EXPECT_EQ(GetString("cancel"), QLatin1String("Abbrechen"));
    LoadStringTable("MyStrings", PreferredLanguageCode({"it-IT"}));
    EXPECT_EQ(GetString("showPanel"), QLatin1String("Show Panel"));
    EXPECT_EQ(GetString("About Tavo"), QLatin1String("About Tavo"));
}

TEST_F(ResourceStringsTest, EveryInterfaceTitleHasEnglishAndGerman) {
    const Languages languages = LanguagesOfKeys(tablePath());

    // The scan itself finds what is missing.
    QTemporaryDir dir;
    QFile probe(dir.filePath("Probe.ui"));
    ASSERT_TRUE(probe.open(QIODevice::WriteOnly));
    probe.write(R"(<ui version="4.0"><widget class="QMainWindow" name="w">
      <property name="windowTitle"><string>Tavo</string></property>
      <widget class="QTabWidget" name="t"><widget class="QWidget" name="p">
        <attribute name="title"><string>noSuchTab:</string></attribute></widget></widget>
      <widget class="QMenu" name="m"><property name="title"><string>File</string></property></widget>
      <widget class="QLabel" name="l"><property name="text"><string>Free text, no key</string></property></widget>
      <widget class="QLabel" name="n"><property name="text"><string notr="true">notATitle</string></property></widget>
      <action name="a"><property name="text"><string>noSuchAction…</string></property></action>
    </widget></ui>)");
    probe.close();
    EXPECT_EQ(UntranslatedTitles(probe.fileName(), languages),
              (QStringList{"Probe.ui: noSuchTab", "Probe.ui: noSuchAction"}));

    const QDir resources(gBundle->resourceFolder());
    const QStringList files = resources.entryList({"*.ui"}, QDir::Files, QDir::Name);
    for (const QString &file : files)
        EXPECT_EQ(UntranslatedTitles(resources.filePath(file), languages), QStringList());
}

} // namespace
