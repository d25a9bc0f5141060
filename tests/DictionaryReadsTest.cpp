#include "toolkit/DictionaryReads.h"
#include "toolkit/Resources.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QVariantMap kDict{
    {"text", "Tavo"},
    {"empty", ""},
    {"seven", qint64(7)},
    {"yes", true},
    {"real", 2.5},
    {"list", QVariantList{1}},
    {"digits", "42abc"},
    {"minus", qint64(-1)},
    {"none", "abc"},
    {"signed", "  -17"},
    {"huge", "99999999999999999999"},
};

TEST(DictionaryReadsTest, StringForKeyTakesTextsAndNumbersOnly) {
    const QString def = QStringLiteral("default");
    EXPECT_EQ(StringForKey(kDict, "text", def), QLatin1String("Tavo"));
    EXPECT_EQ(StringForKey(kDict, "seven", def), QLatin1String("7"));
    EXPECT_EQ(StringForKey(kDict, "yes", def), QLatin1String("1"));
    EXPECT_EQ(StringForKey(kDict, "real", def), QLatin1String("2.5"));
    EXPECT_EQ(StringForKey(kDict, "list", def), def);
    EXPECT_EQ(StringForKey(kDict, "missing", def), def);
    EXPECT_EQ(StringForKey(QVariant(), "text", def), def);
    EXPECT_EQ(StringForKey(QVariantList{"text"}, "text", def), def);
    // Empty and absent stay apart.
    const QString empty = StringForKey(kDict, "empty", QString());
    EXPECT_FALSE(empty.isNull());
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_TRUE(StringForKey(kDict, "missing", QString()).isNull());
}

TEST(DictionaryReadsTest, IntegerForKeyReadsNumbersAndLeadingDigits) {
    EXPECT_EQ(IntegerForKey(kDict, "seven", -1), 7);
    EXPECT_EQ(IntegerForKey(kDict, "missing", -1), -1);
    EXPECT_EQ(IntegerForKey(kDict, "minus", 5), -1);
    EXPECT_EQ(IntegerForKey(kDict, "digits", -1), 42);
    EXPECT_EQ(IntegerForKey(kDict, "signed", -1), -17);
    EXPECT_EQ(IntegerForKey(kDict, "none", -1), 0);
    EXPECT_EQ(IntegerForKey(kDict, "real", -1), 2);
    EXPECT_EQ(IntegerForKey(kDict, "yes", -1), 1);
    EXPECT_EQ(IntegerForKey(kDict, "list", -1), 0);
    EXPECT_EQ(IntegerForKey(kDict, "huge", -1), std::numeric_limits<qint64>::max());
    EXPECT_EQ(IntegerForKey(QVariant(), "seven", 9), 9);
}

TEST(ResourcesTest, ResourcePathFindsOnlyWhatTheBundleHolds) {
    EXPECT_FALSE(ResourcePath("DocTypes", "plist").isEmpty());
    EXPECT_TRUE(ResourcePath("NoSuchResource", "plist").isNull());
    EXPECT_TRUE(ResourcePath("DocTypes", "xml").isNull());

    gBundle.reset();
    EXPECT_TRUE(ResourcePath("DocTypes", "plist").isNull());
    QTemporaryDir dir;
    gBundle = Bundle(dir.path());
    EXPECT_TRUE(ResourcePath("DocTypes", "plist").isNull());
}

} // namespace
