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

QByteArray NestedXml(int depth, const QByteArray &open = "<array>") {
    return "<?xml version=\"1.0\"?><plist version=\"1.0\">" + open.repeated(depth) +
           QByteArray("</array>").repeated(depth) + "</plist>";
}

// A binary list of `depth` arrays, each holding the next; 4-byte references.
QByteArray NestedBinary(int depth) {
    auto bigEndian = [](QByteArray &out, quint64 value, int size) {
        for (int i = size - 1; i >= 0; --i)
            out += char((value >> (8 * i)) & 0xFF);
    };
    QByteArray out("bplist00");
    QList<quint64> offsets;
    for (int i = 0; i <= depth; ++i) {
        offsets << quint64(out.size());
        if (i < depth) {
            out += '\xA1';
            bigEndian(out, quint64(i + 1), 4);
        } else {
            out += '\xA0';
        }
    }
    const quint64 table = quint64(out.size());
    for (quint64 offset : offsets)
        bigEndian(out, offset, 4);
    out += QByteArray(6, '\0') + "\x04\x04";
    bigEndian(out, quint64(offsets.size()), 8);
    bigEndian(out, 0, 8);
    bigEndian(out, table, 8);
    return out;
}

// libplist parses and frees nested containers recursively: some hundred
// thousand levels overflowed the stack, in a file of a megabyte or two.
TEST(PropertyListTest, DeepNestingIsRefusedBeforeItReachesTheStack) {
    EXPECT_EQ(ReadPropertyList(NestedXml(400)).typeId(), QMetaType::QVariantList);
    EXPECT_EQ(ReadPropertyList(NestedBinary(400)).typeId(), QMetaType::QVariantList);
    EXPECT_FALSE(ReadPropertyList(NestedXml(200000)).isValid());
    EXPECT_FALSE(ReadPropertyList(NestedBinary(200000)).isValid());
    EXPECT_FALSE(ReadPropertyList(NestedXml(600, "<dict><key>k</key>")).isValid());
    // Closing tags hidden in comments or CDATA do not lower the count.
    EXPECT_FALSE(ReadPropertyList(NestedXml(600, "<array><!-- </array> -->")).isValid());
    EXPECT_FALSE(
        ReadPropertyList(NestedXml(600, "<array><string><![CDATA[</array>]]></string>")).isValid());
    // Many containers side by side are no depth.
    const QVariant wide =
        ReadPropertyList("<plist><array>" + QByteArray("<array/>").repeated(2000) +
                         QByteArray("<dict></dict>").repeated(2000) + "</array></plist>");
    EXPECT_EQ(wide.toList().size(), 4000);
    // An array holding itself never ends.
    EXPECT_FALSE(ReadPropertyList(QByteArray::fromHex("62706c6973743030a10008000000000000010100"
                                                      "0000000000000100000000000000000000000000"
                                                      "00000a"))
                     .isValid());
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
