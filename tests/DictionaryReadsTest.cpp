// SPDX-License-Identifier: MIT
#include "toolkit/DictionaryReads.h"
#include "TestSupport.h"
#include "toolkit/Resources.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(DictionaryReadsTest, TextsAndIntegersAreReadTolerantly) {
    const struct {
        QVariant value; // invalid: no such key
        QString text;   // "-" is the default
        qint64 integer; // -2 is the default
    } cases[] = {
        {"Tavo", "Tavo", 0},
        {qint64(7), "7", 7},
        {true, "1", 1},
        {2.5, "2.5", 2},
        {QVariantList{1}, "-", 0},
        {"42abc", "42abc", 42},
        {"99999999999999999999", "99999999999999999999", std::numeric_limits<qint64>::max()},
        {QVariant(), "-", -2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const QVariantMap dict = c.value.isValid() ? QVariantMap{{"k", c.value}} : QVariantMap();
        EXPECT_EQ(StringForKey(dict, "k", "-"), c.text);
        EXPECT_EQ(IntegerForKey(dict, "k", -2), c.integer);
    }
    EXPECT_EQ(StringForKey(QVariantList{"k"}, "k", "-"), QLatin1String("-"));
    EXPECT_EQ(IntegerForKey(QVariant(), "k", 9), 9);
    // Empty and absent stay apart.
    EXPECT_FALSE(StringForKey(QVariantMap{{"k", ""}}, "k", QString()).isNull());
    EXPECT_TRUE(StringForKey(QVariantMap(), "k", QString()).isNull());
}

TEST(ResourcesTest, ResourcePathFindsOnlyWhatTheBundleHolds) {
    EXPECT_FALSE(ResourcePath("DocTypes", "plist").isEmpty());
    EXPECT_TRUE(ResourcePath("NoSuchResource", "plist").isNull());
    QTemporaryDir dir;
    gBundle = Bundle(dir.path());
    EXPECT_TRUE(ResourcePath("DocTypes", "plist").isNull());
    // Before there is a bundle nothing is found, not even a file by its full path.
    ASSERT_TRUE(WriteAll(dir.filePath("Vell.png"), "x"));
    gBundle.reset();
    EXPECT_TRUE(ResourcePath(dir.filePath("Vell"), "png").isNull());
}

} // namespace
