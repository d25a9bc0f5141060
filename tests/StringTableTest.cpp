#include "StringsFixture.h"

namespace {

using StringTableTest = StringsFixture;

const QByteArray kSections = R"(<?xml version="1.0" encoding="UTF-8"?>
<strings>
  <en><showPanel>Show Panel</showPanel><ok>OK</ok></en>
  <de><showPanel>Panel einblenden</showPanel></de>
</strings>)";

const QByteArray kPerEntry = R"(<?xml version="1.0" encoding="UTF-8"?>
<strings2>
  <!-- a comment between entries is no entry -->
  <showPanel><en>Show Panel</en><de>Panel einblenden</de></showPanel>
  <onlyFrench><fr>Afficher</fr></onlyFrench>
  <onlyGerman><de>Nur Deutsch</de></onlyGerman>
  <empty><en/></empty>
  <twice><en>first</en></twice>
  <twice><en>second</en></twice>
</strings2>)";

TEST_F(StringTableTest, PreferredLanguageIsTheFirstCutToTwoCharacters) {
    EXPECT_EQ(PreferredLanguageCode({"de-AT", "en-US"}), QLatin1String("de"));
    EXPECT_EQ(PreferredLanguageCode({"pt-BR"}), QLatin1String("pt"));
    EXPECT_EQ(PreferredLanguageCode({"en"}), QLatin1String("en"));
    EXPECT_EQ(PreferredLanguageCode({"x"}), QLatin1String("x"));
    EXPECT_EQ(PreferredLanguageCode({"DE-ch"}), QLatin1String("DE"));
    EXPECT_TRUE(PreferredLanguageCode(QStringList()).isNull());
    EXPECT_TRUE(PreferredLanguageCode({"C", "de"}).isNull());
    EXPECT_TRUE(PreferredLanguageCode({"POSIX"}).isNull());
}

TEST_F(StringTableTest, WithoutATableEveryKeyIsItself) {
    EXPECT_FALSE(LoadStringTable(QStringLiteral("MyStrings"), QStringLiteral("de")));
    EXPECT_FALSE(gStrings);
    EXPECT_EQ(GetString(QStringLiteral("showPanel")), QLatin1String("showPanel"));
    EXPECT_TRUE(GetString(QString()).isNull());
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(StringTableTest, SectionLayoutChoosesTheUsersLanguageThenEnglishThenGerman) {
    const QString german = PreferredLanguageCode({"de-AT", "en"});
    const QString italian = PreferredLanguageCode({"it-IT"});

    loadTable(kSections, german);
    EXPECT_EQ(GetString(QStringLiteral("showPanel")), QLatin1String("Panel einblenden"));
    // A section replaces the table whole; there is no per-key fall-back.
    EXPECT_EQ(GetString(QStringLiteral("ok")), QLatin1String("ok"));

    loadTable(kSections, QStringLiteral("fr"));
    EXPECT_EQ(GetString(QStringLiteral("showPanel")), QLatin1String("Show Panel"));
    EXPECT_EQ(GetString(QStringLiteral("ok")), QLatin1String("OK"));

    loadTable("<strings><de><ok>Gut</ok></de></strings>", italian);
    EXPECT_EQ(GetString(QStringLiteral("ok")), QLatin1String("Gut"));

    // No language at all reads English.
    loadTable(kSections, QString());
    EXPECT_EQ(GetString(QStringLiteral("showPanel")), QLatin1String("Show Panel"));

    // An existing but empty section gives an empty table.
    loadTable("<strings><it/><en><ok>OK</ok></en></strings>", italian);
    ASSERT_TRUE(gStrings);
    EXPECT_TRUE(gStrings->isEmpty());
}

TEST_F(StringTableTest, SectionLayoutWithoutSectionsTakesTheRootsEntries) {
    loadTable("<strings><ok>Fine</ok><!-- note --><cancel>Stop</cancel>text</strings>",
              QStringLiteral("it"));
    ASSERT_TRUE(gStrings);
    EXPECT_EQ(gStrings->size(), 2);
    EXPECT_EQ(GetString(QStringLiteral("cancel")), QLatin1String("Stop"));

    // Sections of other languages are then entries of their own.
    loadTable("<strings><fr><a>un</a><b>deux</b></fr><it><a>uno</a></it></strings>",
              QStringLiteral("en"));
    ASSERT_TRUE(gStrings);
    EXPECT_EQ(gStrings->keys(), (QStringList{"fr", "it"}));
    EXPECT_EQ(GetString(QStringLiteral("fr")), QLatin1String("undeux"));
}

TEST_F(StringTableTest, EntryTextsAreTheirWholeContentUntrimmed) {
    loadTable(R"(<?xml version="1.0"?>
<!DOCTYPE strings [ <!ENTITY app "Tavo"> ]>
<strings><en>
  <empty/>
  <spaced>  two  </spaced>
  <nested>Open <b>this</b> <i>now<u>!</u></i></nested>
  <refs>&app; &amp; &#x263A; &lt;b&gt;</refs>
  <twice>first</twice><twice>second</twice>
  <cdata><![CDATA[50% <raw>]]></cdata>
</en></strings>)",
              QStringLiteral("en"));
    const QString empty = GetString(QStringLiteral("empty"));
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(GetString(QStringLiteral("spaced")), QLatin1String("  two  "));
    EXPECT_EQ(GetString(QStringLiteral("nested")), QLatin1String("Open this now!"));
    EXPECT_EQ(GetString(QStringLiteral("refs")), QString::fromUtf8("Tavo & ☺ <b>"));
    EXPECT_EQ(GetString(QStringLiteral("twice")), QLatin1String("second"));
    EXPECT_EQ(GetString(QStringLiteral("cdata")), QLatin1String("50% <raw>"));
    // Keys are exact.
    EXPECT_EQ(GetString(QStringLiteral("Empty")), QLatin1String("Empty"));
    EXPECT_EQ(GetString(QStringLiteral("Name is no key")), QLatin1String("Name is no key"));
}

TEST_F(StringTableTest, PerEntryLayoutFallsBackToEnglishOnly) {
    loadTable(kPerEntry, QStringLiteral("de"));
    EXPECT_EQ(GetString(QStringLiteral("showPanel")), QLatin1String("Panel einblenden"));
    EXPECT_EQ(GetString(QStringLiteral("onlyFrench")), QLatin1String("onlyFrench"));
    EXPECT_EQ(GetString(QStringLiteral("onlyGerman")), QLatin1String("Nur Deutsch"));
    EXPECT_EQ(GetString(QStringLiteral("twice")), QLatin1String("second"));
    EXPECT_TRUE(GetString(QStringLiteral("empty")).isEmpty());
    EXPECT_FALSE(gStrings->contains(QStringLiteral("#comment")));

    loadTable(kPerEntry, QStringLiteral("fr"));
    EXPECT_EQ(GetString(QStringLiteral("showPanel")), QLatin1String("Show Panel"));
    EXPECT_EQ(GetString(QStringLiteral("onlyFrench")), QLatin1String("Afficher"));

    // Never German for somebody else.
    loadTable(kPerEntry, QStringLiteral("it"));
    EXPECT_EQ(GetString(QStringLiteral("onlyGerman")), QLatin1String("onlyGerman"));
}

TEST_F(StringTableTest, FailedLoadsKeepTheTableAndOnlyParseErrorsAreShown) {
    loadTable(kSections, QStringLiteral("en"));
    const std::optional<QVariantMap> before = gStrings;

    loadTable("<Strings><en><ok>no</ok></en></Strings>", QStringLiteral("en"));
    EXPECT_EQ(gStrings, before);
    EXPECT_TRUE(alerts.isEmpty());

    loadTable("<strings><en><ok>broken</en></strings>", QStringLiteral("en"));
    EXPECT_EQ(gStrings, before);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_FALSE(alerts[0].message.isEmpty());
    EXPECT_TRUE(alerts[0].detail.isEmpty());

    // A new table replaces the old one whole.
    loadTable("<strings><en><cancel>Cancel</cancel></en></strings>", QStringLiteral("en"));
    EXPECT_EQ(GetString(QStringLiteral("showPanel")), QLatin1String("showPanel"));
    EXPECT_EQ(LoadStringTable(QStringLiteral("MyStrings"), QStringLiteral("en")), gStrings);
}

} // namespace
