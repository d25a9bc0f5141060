#include "StringsFixture.h"

namespace {

using StringTableTest = StringsFixture;

const QByteArray kSections = R"(<strings>
  <en><showPanel>Show Panel</showPanel><ok>OK</ok></en>
  <de><showPanel>Panel einblenden</showPanel></de>
</strings>)";

TEST_F(StringTableTest, PreferredLanguageIsTheFirstCutToTwoCharacters) {
    EXPECT_EQ(PreferredLanguageCode({"de-AT", "en-US"}), "de");
    EXPECT_EQ(PreferredLanguageCode({"pt-BR"}), "pt");
    EXPECT_EQ(PreferredLanguageCode({"x"}), "x");
    EXPECT_EQ(PreferredLanguageCode({"DE-ch"}), "DE");
    EXPECT_TRUE(PreferredLanguageCode(QStringList()).isNull());
    EXPECT_TRUE(PreferredLanguageCode({"C", "de"}).isNull());
    EXPECT_TRUE(PreferredLanguageCode({"POSIX"}).isNull());
}

TEST_F(StringTableTest, SectionLayoutChoosesTheUsersLanguageThenEnglishThenGerman) {
    EXPECT_FALSE(LoadStringTable("MyStrings", "de")); // no resource yet
    EXPECT_EQ(GetString("showPanel"), "showPanel");
    EXPECT_TRUE(GetString(QString()).isNull());

    loadTable(kSections, PreferredLanguageCode({"de-AT"}));
    EXPECT_EQ(GetString("showPanel"), "Panel einblenden");
    EXPECT_EQ(GetString("ok"), "ok"); // a section counts whole, no per-key fall-back
    loadTable(kSections, "fr");
    EXPECT_EQ(GetString("ok"), "OK");
    loadTable(kSections, QString());
    EXPECT_EQ(GetString("showPanel"), "Show Panel");
    loadTable("<strings><de><ok>Gut</ok></de></strings>", "it");
    EXPECT_EQ(GetString("ok"), "Gut");
    loadTable("<strings><it/><en><ok>OK</ok></en></strings>", "it");
    EXPECT_TRUE(gStrings && gStrings->isEmpty());

    // Without a fitting section the root's own children are the entries.
    loadTable("<strings><fr><a>un</a><b>deux</b></fr><!-- x --><it><a>uno</a></it>text</strings>",
              "en");
    ASSERT_TRUE(gStrings);
    EXPECT_EQ(gStrings->keys(), (QStringList{"fr", "it"}));
    EXPECT_EQ(GetString("fr"), "undeux");
}

TEST_F(StringTableTest, EntryTextsAreTheirWholeContentUntrimmed) {
    loadTable(R"(<!DOCTYPE strings [ <!ENTITY app "Tavo"> ]>
<strings><en>
  <empty/><spaced>  two  </spaced>
  <nested>Open <b>this</b> <i>now<u>!</u></i></nested>
  <refs>&app; &amp; &#x263A; &lt;b&gt;<![CDATA[ 50% <raw>]]></refs>
  <twice>first</twice><twice>second</twice>
</en></strings>)",
              "en");
    EXPECT_FALSE(GetString("empty").isNull());
    EXPECT_TRUE(GetString("empty").isEmpty());
    EXPECT_EQ(GetString("spaced"), "  two  ");
    EXPECT_EQ(GetString("nested"), "Open this now!");
    EXPECT_EQ(GetString("refs"), QString::fromUtf8("Tavo & ☺ <b> 50% <raw>"));
    EXPECT_EQ(GetString("twice"), "second");
    EXPECT_EQ(GetString("Empty"), "Empty"); // keys are exact
}

TEST_F(StringTableTest, PerEntryLayoutFallsBackToEnglishOnly) {
    const QByteArray table = R"(<strings2>
  <!-- a comment between entries is no entry -->
  <showPanel><en>Show Panel</en><de>Panel einblenden</de></showPanel>
  <onlyFrench><fr>Afficher</fr></onlyFrench>
  <onlyGerman><de>Nur Deutsch</de></onlyGerman>
  <twice><en>first</en></twice><twice><en>second</en></twice>
</strings2>)";
    loadTable(table, "de");
    EXPECT_EQ(GetString("showPanel"), "Panel einblenden");
    EXPECT_EQ(GetString("onlyFrench"), "onlyFrench");
    EXPECT_EQ(GetString("twice"), "second");
    EXPECT_EQ(gStrings->size(), 3);
    loadTable(table, "fr");
    EXPECT_EQ(GetString("showPanel"), "Show Panel");
    loadTable(table, "it");
    EXPECT_EQ(GetString("onlyGerman"), "onlyGerman");
}

TEST_F(StringTableTest, FailedLoadsKeepTheTableAndOnlyParseErrorsAreShown) {
    loadTable(kSections, "en");
    const std::optional<QVariantMap> before = gStrings;
    loadTable("<Strings><en><ok>no</ok></en></Strings>", "en");
    EXPECT_EQ(gStrings, before);
    EXPECT_TRUE(alerts.isEmpty());

    loadTable("<strings><en><ok>broken</en></strings>", "en");
    EXPECT_EQ(gStrings, before);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts[0].message.contains("line 1")) << alerts[0].message.toStdString();

    // A new table replaces the old one whole.
    loadTable("<strings><en><cancel>Cancel</cancel></en></strings>", "en");
    EXPECT_EQ(GetString("showPanel"), "showPanel");
}

} // namespace
