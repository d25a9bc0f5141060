#include "platform/PropertyList.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <limits>

namespace {

const QByteArray kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC "
                           "\"-//Apple//DTD PLIST 1.0//EN\" "
                           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist>";

QByteArray BigEndian(quint64 value, int size) {
    QByteArray out;
    while (size-- > 0)
        out += char(value >> (8 * size));
    return out;
}

// A binary list of `depth` arrays, each holding the next `refs` times, and
// at the bottom the integer 7: with two references, 2^(depth+1) - 1 values
// once expanded, from a few hundred bytes.
QByteArray BinaryChain(int depth, int refs) {
    QByteArray out("bplist00"), offsets;
    for (int i = 0; i < depth; ++i) {
        offsets += BigEndian(quint64(out.size()), 4);
        out += char(0xA0 | refs) + BigEndian(quint64(i + 1), 4).repeated(refs);
    }
    offsets += BigEndian(quint64(out.size()), 4);
    out += "\x10\x07";
    return out + offsets + QByteArray(6, '\0') + "\x04\x04" + BigEndian(quint64(depth + 1), 8) +
           BigEndian(0, 8) + BigEndian(quint64(out.size()), 8);
}

TEST(PropertyListTest, EveryValueKindSurvivesAnXmlRoundTrip) {
    const QVariantMap value{
        {"text", "Grüße & <tags>"},
        {"empty", ""},
        // Texts an XML parser would change, or refuse, as libplist writes them.
        {"controls", "tab\t cr\r\n bell\x07 escape\x1B"},
        {"int", qint64(-1)},
        {"big", qint64(1) << 40},
        {"no", false},
        {"real", 2.5},
        {"data", QByteArray("\x00\x01\xFF", 3)},
        {"date", QDateTime(QDate(2019, 5, 4), QTime(10, 30, 15), Qt::UTC)},
        {"list", QVariantList{"a", qint64(2), QVariantMap{{"k", "v"}}}},
        {"dict", QVariantMap{{"inner", QVariantList{}}}},
    };
    const QVariantMap back = ReadPropertyList(WritePropertyListXml(value)).toMap();
    for (auto it = value.constBegin(); it != value.constEnd(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        EXPECT_EQ(back.value(it.key()), it.value());
        EXPECT_EQ(back.value(it.key()).typeId(), it.value().typeId());
    }
    EXPECT_FALSE(back.value("empty").toString().isNull());
    // XML cannot hold U+FFFF at all; the list must still read back.
    EXPECT_EQ(ReadPropertyList(WritePropertyListXml(QVariantList{QString(QChar(0xFFFF))})),
              QVariant(QVariantList{QString(QChar::ReplacementCharacter)}));
    EXPECT_TRUE(WritePropertyListXml(QVariant::fromValue(static_cast<void *>(nullptr))).isEmpty());
    // Binary lists are read: {"Quark": {"k": {"v": "2016"}}, "n": 7}.
    const QVariantMap quark{{"k", QVariantMap{{"v", "2016"}}}};
    EXPECT_EQ(ReadPropertyListFile(TAVO_TEST_DATA "/binary.plist"),
              QVariant(QVariantMap{{"Quark", quark}, {"n", qint64(7)}}));
}

// XML lists map to values as they did when libplist read them; what libplist
// made up (a date out of no date, the first of two values) is now left out.
TEST(PropertyListTest, XmlValuesMapAsTheyAlwaysDid) {
    const struct {
        const char *xml;
        QVariant value;
    } cases[] = {
        {"<integer> +42 </integer>", qint64(42)},
        {"<integer>0x1F</integer>", qint64(31)},
        {"<integer>-9223372036854775808</integer>", std::numeric_limits<qint64>::min()},
        {"<integer>18446744073709551615</integer>", std::numeric_limits<quint64>::max()},
        {"<real>-2.5e3</real>", -2500.0},
        {"<real>+infinity</real>", std::numeric_limits<double>::infinity()},
        {"<data>\n\tAAH/\n</data>", QByteArray("\x00\x01\xFF", 3)},
        {"<date/>", QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)},
        {"<string>a<!-- c -->b<![CDATA[<&>]]>&#x42;</string>", "ab<&>B"},
        {"<array><key>k</key></array>", QVariantList{"k"}},
        {"<dict><key>a</key><key>b</key><key>c</key></dict>", QVariantMap{{"a", "b"}}},
        {"<dict><key>a</key><date>never</date><key>b</key><true/></dict>",
         QVariantMap{{"b", true}}},
        {"<dict><string>no key</string></dict>", {}},
        {"<unknown/>", {}},
        {"<x:string xmlns:x=\"urn:x\">a</x:string>", {}},
        {"<string>&undeclared;</string>", {}},
        {"<string>a</string><string>b</string>", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.xml);
        const QVariant value = ReadPropertyList(kHeader + c.xml + "</plist>");
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(value.typeId(), c.value.typeId());
    }
    // A dictionary need not stand in a <plist>; a raw NUL ends its text.
    const char nul[] = "<dict><key>a</key><string>/\0\0t</string><key>b</key><true/></dict>";
    EXPECT_EQ(ReadPropertyList(QByteArray(nul, sizeof nul - 1)),
              QVariant(QVariantMap{{"a", "/"}, {"b", true}}));
}

// Each of these once ended the process (libplist asserts that a text holds no
// NUL), overflowed the stack (libplist parses and frees nested containers
// recursively) or exhausted the memory, or passed the checks once made before
// libplist saw the bytes: a tag with "/>" in an attribute taken for an empty
// one, a quoted "[" in the DOCTYPE for an internal subset, shared children
// that expand without bound.
TEST(PropertyListTest, HostileListsAreRefusedWhole) {
    const auto nested = [](const QByteArray &open, const QByteArray &close, int depth) {
        return kHeader + open.repeated(depth) + close.repeated(depth) + "</plist>";
    };
    QByteArray laughs = "<!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'k'; ++c)
        laughs += QByteArray("<!ENTITY ") + c + " \"" +
                  (QByteArray("&") + char(c - 1) + ";").repeated(10) + "\">";
    const QByteArray doctype = "<!DOCTYPE plist PUBLIC \"-//Apple//EN\" \"http://a/[DTD\"><plist>";
    const QByteArray refused[] = {
        "",
        "hello world",
        "bplist00garbage",
        QByteArray(600, '\xFF'),
        "<plist><dict><key>a</key>",
        // UTF-16 texts holding U+0000, as a key ({"ä\0b": 1}) and a value ({"a": "ä\0y"}).
        QByteArray::fromHex("62706c6973743030d101026300e4000000621001080b12000000000000010100000000"
                            "0000000300000000000000000000000000000014"),
        QByteArray::fromHex("62706c6973743030d1010251616300e400000079080b0d000000000000010100000000"
                            "0000000300000000000000000000000000000014"),
        nested("<array>", "</array>", 200000),
        BinaryChain(200000, 1),
        nested("<dict><key>k</key>", "</dict>", 600),
        // Closing tags in comments or CDATA do not lower the count.
        nested("<array><!-- </array> -->", "</array>", 600),
        nested("<array><string><![CDATA[</array>]]></string>", "</array>", 600),
        nested("<array x=\"/>\">", "</array>", 200000),
        doctype + QByteArray("<array>").repeated(200000) + QByteArray("</array>").repeated(200000) +
            "</plist>",
        BinaryChain(40, 2),
        BinaryChain(20, 2), // 2,097,151 values
        "<plist><array>" + QByteArray("<true/>").repeated(1000001) + "</array></plist>",
        laughs + "]><plist><string>&k;</string></plist>",
        // An array holding itself.
        QByteArray::fromHex("62706c6973743030a10008000000000000010100000000000000010000000000000000"
                            "000000000000000a"),
    };
    for (const QByteArray &bytes : refused)
        EXPECT_FALSE(ReadPropertyList(bytes).isValid()) << bytes.left(60).toStdString();

    // Within the bounds they read.
    EXPECT_EQ(ReadPropertyList(nested("<array x=\"/>\">", "</array>", 400)).typeId(),
              QMetaType::QVariantList);
    // Many containers side by side are no depth.
    const QByteArray wide =
        QByteArray("<array/>").repeated(2000) + QByteArray("<dict/>").repeated(2000);
    EXPECT_EQ(ReadPropertyList("<plist><array>" + wide + "</array></plist>").toList().size(), 4000);
    EXPECT_EQ(ReadPropertyList(BinaryChain(400, 1)).typeId(), QMetaType::QVariantList);
    EXPECT_EQ(ReadPropertyList(BinaryChain(15, 2)).typeId(), QMetaType::QVariantList);
    EXPECT_EQ(ReadPropertyList(doctype + "<string>a</string></plist>"), QVariant("a"));
    // A UTF-16 text without U+0000 reads: {"a": "äy"}.
    EXPECT_EQ(ReadPropertyList(QByteArray::fromHex(
                  "62706c6973743030d1010251616200e40079080b0d0000000000000101000000000000"
                  "000300000000000000000000000000000012")),
              QVariant(QVariantMap{{"a", QStringLiteral("äy")}}));
}

} // namespace
