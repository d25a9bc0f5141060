#include "platform/PropertyList.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace {

TEST(PropertyListTest, EveryValueKindSurvivesAnXmlRoundTrip) {
    const QVariantMap value{
        {"text", "Grüße & <tags>"},
        {"empty", ""},
        {"int", qint64(12000)},
        {"negative", qint64(-1)},
        {"big", qint64(1) << 40},
        {"yes", true},
        {"no", false},
        {"real", 2.5},
        {"data", QByteArray("\x00\x01\xFF", 3)},
        {"date", QDateTime(QDate(2019, 5, 4), QTime(10, 30, 15), Qt::UTC)},
        {"list", QVariantList{"a", qint64(2), QVariantMap{{"k", "v"}}}},
        {"dict", QVariantMap{{"inner", QVariantList{}}}},
    };
    const QByteArray xml = WritePropertyListXml(value);
    ASSERT_TRUE(xml.startsWith("<?xml"));
    EXPECT_TRUE(xml.contains("<integer>-1</integer>"));
    const QVariant back = ReadPropertyList(xml);
    ASSERT_EQ(back.typeId(), QMetaType::QVariantMap);
    const QVariantMap map = back.toMap();
    for (auto it = value.constBegin(); it != value.constEnd(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        EXPECT_EQ(map.value(it.key()), it.value());
        EXPECT_EQ(map.value(it.key()).typeId(), it.value().typeId());
    }
    EXPECT_FALSE(map.value("empty").toString().isNull());
}

TEST(PropertyListTest, ReadsBinaryPropertyLists) {
    // A binary property list of {"Quark": {"k": {"v": "2016"}}, "n": 7}.
    const QVariant v = ReadPropertyListFile(QStringLiteral(TAVO_TEST_DATA "/binary.plist"));
    ASSERT_EQ(v.typeId(), QMetaType::QVariantMap);
    EXPECT_EQ(v.toMap().value("n").toLongLong(), 7);
    EXPECT_EQ(v.toMap().value("Quark").toMap().value("k").toMap().value("v").toString(),
              QLatin1String("2016"));
}

TEST(PropertyListTest, WhatIsNotAPropertyListGivesNoValue) {
    EXPECT_FALSE(ReadPropertyList(QByteArray()).isValid());
    EXPECT_FALSE(ReadPropertyList("hello world").isValid());
    EXPECT_FALSE(ReadPropertyList("bplist00garbage").isValid());
    EXPECT_FALSE(ReadPropertyList(QByteArray(600, '\xFF')).isValid());
    EXPECT_FALSE(ReadPropertyList("<plist><dict><key>a</key>").isValid());
    EXPECT_FALSE(ReadPropertyListFile(QStringLiteral("/no/such/file.plist")).isValid());
    EXPECT_FALSE(ReadPropertyListFile(QString()).isValid());
    EXPECT_TRUE(WritePropertyListXml(QVariant::fromValue(static_cast<void *>(nullptr))).isEmpty());
}

// libplist asserts that a text holds no NUL character; these once ended the
// process while the settings or the document-type table were read.
TEST(PropertyListTest, TextsWithANulCharacterNeverEndTheProcess) {
    // XML: a raw NUL byte inside a string value; the text ends there.
    const char xml[] = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                       "<key>a</key><string>/\0\0t</string><key>b</key><string>ok</string>"
                       "</dict></plist>";
    const QVariant fromXml = ReadPropertyList(QByteArray(xml, sizeof xml - 1));
    ASSERT_EQ(fromXml.typeId(), QMetaType::QVariantMap);
    EXPECT_EQ(fromXml.toMap().value("a").toString(), QLatin1String("/"));
    EXPECT_EQ(fromXml.toMap().value("b").toString(), QLatin1String("ok"));

    // Binary: UTF-16 texts holding U+0000, as a key ({"ä\0b": 1}) and as a
    // value ({"a": "ä\0y"}). Neither list is read.
    EXPECT_FALSE(ReadPropertyList(QByteArray::fromHex(
                                      "62706c6973743030d101026300e4000000621001080b1200000000000001"
                                      "01000000000000000300000000000000000000000000000014"))
                     .isValid());
    EXPECT_FALSE(ReadPropertyList(QByteArray::fromHex(
                                      "62706c6973743030d1010251616300e400000079080b0d00000000000001"
                                      "01000000000000000300000000000000000000000000000014"))
                     .isValid());
    // A UTF-16 text without one still reads: {"a": "äy"}.
    const QVariant utf16 = ReadPropertyList(
        QByteArray::fromHex("62706c6973743030d1010251616200e40079080b0d000000000000010100000000"
                            "0000000300000000000000000000000000000012"));
    EXPECT_EQ(utf16.toMap().value("a").toString(), QStringLiteral("äy"));
}

TEST(PropertyListTest, FileWriteReplacesTheOldFileWholeOrNotAtAll) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Tavo.plist");
    ASSERT_TRUE(WritePropertyListFile(path, QVariantMap{{"AddSuffix", qint64(1)}}));
    EXPECT_EQ(ReadPropertyListFile(path).toMap().value("AddSuffix").toLongLong(), 1);
    // A value that cannot be written leaves the file as it was.
    EXPECT_FALSE(WritePropertyListFile(path, QVariant::fromValue(static_cast<void *>(nullptr))));
    EXPECT_EQ(ReadPropertyListFile(path).toMap().value("AddSuffix").toLongLong(), 1);
    EXPECT_FALSE(WritePropertyListFile(dir.filePath("no/such/folder/x.plist"), QVariantMap{}));
}

} // namespace
