// SPDX-License-Identifier: MIT
#include "StringsFixture.h"

namespace {

using StringTableTest = StringsFixture;

const QByteArray kSections = R"(<strings>
  <en><showPanel>Show Panel</showPanel><ok>OK</ok></en>
  <de><showPanel>Panel einblenden</showPanel></de>
</strings>)";

// The preferred language is the first one, cut to two characters. A section
// counts whole: the user's language, else English, else German, with no
// fall-back key by key. An entry's text is its whole content, untrimmed.
TEST_F(StringTableTest, SectionLayoutChoosesTheUsersLanguageThenEnglishThenGerman) {
    EXPECT_EQ(PreferredLanguageCode({"de-AT", "en-US"}), "de");
    EXPECT_EQ(PreferredLanguageCode({"DE-ch"}), "DE");
    EXPECT_EQ(PreferredLanguageCode({"x"}), "x");
    for (const QStringList &none : {QStringList(), QStringList{"C", "de"}, QStringList{"POSIX"}})
        EXPECT_TRUE(PreferredLanguageCode(none).isNull()) << none.join(',').toStdString();
    EXPECT_FALSE(LoadStringTable("MyStrings", "de")); // no resource yet
    EXPECT_EQ(GetString("showPanel"), "showPanel");
    EXPECT_TRUE(GetString(QString()).isNull());

    loadTable(kSections, "de");
    EXPECT_EQ(GetString("showPanel") + GetString("ok"), "Panel einblendenok");
    loadTable(kSections, "fr");
    EXPECT_EQ(GetString("ok"), "OK");
    loadTable(kSections, QString());
    EXPECT_EQ(GetString("showPanel"), "Show Panel");
    loadTable("<strings><de><ok>Gut</ok></de></strings>", "it");
    EXPECT_EQ(GetString("ok"), "Gut");

    // Without a fitting section the root's own children are the entries.
    loadTable("<strings><fr><a>un</a><b>deux</b></fr><!-- x --><it/>text</strings>", "en");
    EXPECT_EQ(gStrings->keys(), (QStringList{"fr", "it"}));
    EXPECT_EQ(GetString("fr"), "undeux");
    loadTable("<strings><en><empty/><spaced>  two  </spaced><nested>Open <b>this</b> "
              "<i>now<u>!</u></i></nested><twice>1</twice><twice>2</twice></en></strings>",
              "en");
    EXPECT_FALSE(GetString("empty").isNull());
    EXPECT_EQ(GetString("spaced") + GetString("nested") + GetString("twice"),
              "  two  Open this now!2");
    EXPECT_EQ(GetString("Empty"), "Empty"); // keys are exact
}

TEST_F(StringTableTest, PerEntryLayoutFallsBackToEnglishOnly) {
    const QByteArray table = R"(<strings2><!-- no entry -->
  <showPanel><en>Show Panel</en><de>Panel einblenden</de></showPanel>
  <onlyFrench><fr>Afficher</fr></onlyFrench><onlyGerman><de>Nur Deutsch</de></onlyGerman>
</strings2>)";
    loadTable(table, "de");
    EXPECT_EQ(GetString("showPanel"), "Panel einblenden");
    EXPECT_EQ(GetString("onlyFrench"), "onlyFrench");
    EXPECT_EQ(gStrings->size(), 2);
    loadTable(table, "it");
    EXPECT_EQ(GetString("showPanel") + GetString("onlyGerman"), "Show PanelonlyGerman");
}

TEST_F(StringTableTest, FailedLoadsKeepTheTableAndOnlyParseErrorsAreShown) {
    loadTable(kSections, "en");
    const std::optional<QVariantMap> before = gStrings;
    loadTable("<Strings><en><ok>no</ok></en></Strings>", "en");
    EXPECT_EQ(gStrings, before);
    EXPECT_TRUE(alerts.isEmpty());
    // libxml2's message quotes the document; it is shown as it is, never as a format.
    loadTable("<strings xmlns:p='%d%s'><en><ok>broken</en></strings>", "en");
    EXPECT_EQ(gStrings, before);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts[0].message.startsWith("line 1: ") && alerts[0].message.contains("'%d%s'"))
        << alerts[0].message.toStdString();
    // A new table replaces the old one whole.
    loadTable("<strings><en><cancel>Cancel</cancel></en></strings>", "en");
    EXPECT_EQ(GetString("showPanel"), "showPanel");
}

} // namespace
