#include "platform/PropertyList.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(PropertyListTest, EveryValueKindSurvivesAnXmlRoundTrip) {
    const QVariantMap value{
        {"text", "Grüße & <tags>"},
        {"empty", ""},
        // Texts an XML parser would change, or refuse, as libplist writes them.
        {"controls", "tab\t cr\r\n bell\x07 escape\x1B"},
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
    // XML cannot hold U+FFFF at all; the list must still read back.
    EXPECT_EQ(ReadPropertyList(WritePropertyListXml(QVariantList{QString(QChar(0xFFFF))})),
              QVariant(QVariantList{QString(QChar::ReplacementCharacter)}));
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

void BigEndian(QByteArray &out, quint64 value, int size) {
    for (int i = size - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xFF);
}

// A binary list of these objects, the first the root; 4-byte references.
QByteArray BinaryList(const QList<QByteArray> &objects) {
    QByteArray out("bplist00");
    QList<quint64> offsets;
    for (const QByteArray &object : objects) {
        offsets << quint64(out.size());
        out += object;
    }
    const quint64 table = quint64(out.size());
    for (quint64 offset : offsets)
        BigEndian(out, offset, 4);
    out += QByteArray(6, '\0') + "\x04\x04";
    BigEndian(out, quint64(offsets.size()), 8);
    BigEndian(out, 0, 8);
    BigEndian(out, table, 8);
    return out;
}

// An array object holding the objects of these indexes.
QByteArray ArrayOf(const QList<quint64> &items) {
    QByteArray out(1, char(0xA0 | items.size()));
    for (quint64 item : items)
        BigEndian(out, item, 4);
    return out;
}

// `depth` arrays, each holding the next.
QByteArray NestedBinary(int depth) {
    QList<QByteArray> objects;
    for (int i = 0; i < depth; ++i)
        objects << ArrayOf({quint64(i + 1)});
    return BinaryList(objects << ArrayOf({}));
}

// `depth` arrays, each holding the next twice: 2^(depth+1) - 1 values once
// expanded, from a few hundred bytes.
QByteArray SharedBinary(int depth) {
    QList<QByteArray> objects;
    for (int i = 0; i < depth; ++i)
        objects << ArrayOf({quint64(i + 1), quint64(i + 1)});
    return BinaryList(objects << QByteArray("\x10\x07"));
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

// Each passed the checks made before libplist saw the bytes: the XML scan took
// a tag with "/>" in an attribute for an empty one, and a quoted "[" in the
// DOCTYPE for an internal subset; the binary scan measured depth but not how
// far shared children expand. Each then overflowed the stack or exhausted
// the memory, or would once the bounds were gone.
TEST(PropertyListTest, ListsBeyondTheBoundsAreUnreadable) {
    const QByteArray deep = QByteArray("</array>").repeated(200000) + "</plist>";
    const QByteArray doctype =
        "<?xml version=\"1.0\"?><!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/[DTDs/PropertyList-1.0.dtd\"><plist version=\"1.0\">";
    QByteArray laughs = "<!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'k'; ++c)
        laughs += QByteArray("<!ENTITY ") + c + " \"" +
                  (QByteArray("&") + char(c - 1) + ";").repeated(10) + "\">";
    const QByteArray hostile[] = {
        "<plist>" + QByteArray("<array x=\"/>\">").repeated(200000) + deep,
        doctype + QByteArray("<array>").repeated(200000) + deep,
        SharedBinary(40),
        SharedBinary(20), // 2,097,151 values
        "<plist><array>" + QByteArray("<true/>").repeated(1000001) + "</array></plist>",
        laughs + "]><plist><string>&k;</string></plist>",
    };
    for (const QByteArray &bytes : hostile)
        EXPECT_FALSE(ReadPropertyList(bytes).isValid()) << bytes.left(60).toStdString();

    // Within the bounds they read.
    const QVariant nested =
        ReadPropertyList("<plist>" + QByteArray("<array x=\"/>\">").repeated(400) +
                         QByteArray("</array>").repeated(400) + "</plist>");
    EXPECT_EQ(nested.typeId(), QMetaType::QVariantList);
    QVariant shared = ReadPropertyList(SharedBinary(15));
    for (int level = 0; level < 15; ++level)
        shared = shared.toList().value(1);
    EXPECT_EQ(shared, QVariant(qint64(7)));
    EXPECT_EQ(ReadPropertyList(doctype + "<string>a</string></plist>"), QVariant("a"));
}

// XML lists map to values as they did when libplist read them; what libplist
// made up (a date out of no date, the first of two values) is now left out.
TEST(PropertyListTest, XmlValuesMapAsTheyAlwaysDid) {
    const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    const struct {
        const char *xml;
        QVariant value;
    } cases[] = {
        {"<integer> +42 </integer>", qint64(42)},
        {"<integer>0x1F</integer>", qint64(31)},
        {"<integer>-9223372036854775808</integer>", std::numeric_limits<qint64>::min()},
        {"<integer>18446744073709551615</integer>", std::numeric_limits<quint64>::max()},
        {"<integer/>", qint64(0)},
        {"<real>-2.5e3</real>", -2500.0},
        {"<real>+infinity</real>", std::numeric_limits<double>::infinity()},
        {"<true>x</true>", true},
        {"<data>\n\tAAH/\n</data>", QByteArray("\x00\x01\xFF", 3)},
        {"<date>2019-05-04T10:30:15Z</date>",
         QDateTime(QDate(2019, 5, 4), QTime(10, 30, 15), Qt::UTC)},
        {"<date/>", reference},
        {"<string>a<!-- c -->b<![CDATA[<&>]]>&#x42;</string>", "ab<&>B"},
        {"<string/>", ""},
        {"<array><key>k</key></array>", QVariantList{"k"}},
        {"<dict><key>a</key><key>b</key><key>c</key></dict>", QVariantMap{{"a", "b"}}},
        {"<dict><key>a</key><date>never</date><key>b</key><true/></dict>",
         QVariantMap{{"b", true}}},
        {"<dict><string>no key</string></dict>", {}},
        {"<unknown/>", {}},
        {"<x:string xmlns:x=\"urn:x\">a</x:string>", {}},
        {"<string>a<b/></string>", {}},
        {"<string>&undeclared;</string>", {}},
        {"<string>a</string><string>b</string>", {}},
        {"", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.xml);
        const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC "
                               "\"-//Apple//DTD PLIST 1.0//EN\" "
                               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                               "<plist version=\"1.0\">" +
                               QByteArray(c.xml) + "</plist>";
        const QVariant value = ReadPropertyList(xml);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(value.typeId(), c.value.typeId());
    }
    // A dictionary need not stand in a <plist>.
    EXPECT_EQ(ReadPropertyList("<dict><key>a</key><true/></dict>"),
              QVariant(QVariantMap{{"a", true}}));
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
