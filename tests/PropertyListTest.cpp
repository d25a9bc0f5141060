// SPDX-License-Identifier: MIT
#include "platform/PropertyList.h"

#include <QDateTime>

#include <gtest/gtest.h>

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
        // Texts an XML parser would change, or refuse, as Tavo writes them.
        {"controls", "tab\t cr\r\n bell\x07 escape\x1B"},
        {"int", qint64(-1)},
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
    // Binary lists are read: {"Quark": {"k": {"v": "2016"}}, "n": 7}.
    const QVariantMap quark{{"k", QVariantMap{{"v", "2016"}}}};
    EXPECT_EQ(ReadPropertyListFile(TAVO_TEST_DATA "/binary.plist"),
              QVariant(QVariantMap{{"Quark", quark}, {"n", qint64(7)}}));

    // Lists that another program wrote (tests/data/make_foreign.py) read the
    // same from either format, as written, and so again once written back;
    // compared as XML, since Qt takes -1 and 2^64 - 1 for equal values.
    bool exact[2] = {};
    const QVariant binary = ReadPropertyListFile(TAVO_TEST_DATA "/foreign.bplist", &exact[0]);
    const QVariant xml = ReadPropertyListFile(TAVO_TEST_DATA "/foreign.xml", &exact[1]);
    const QByteArray written = WritePropertyListXml(binary);
    EXPECT_TRUE(exact[0] && exact[1] && binary.toMap().size() == 13);
    EXPECT_EQ(xml.toMap().value("uid").typeId(), binary.toMap().value("uid").typeId());
    EXPECT_EQ(WritePropertyListXml(xml), written);
    EXPECT_EQ(WritePropertyListXml(ReadPropertyList(written)), written);
    for (const char *value :
         {"<date>1850-01-01T12:00:00Z</date>", "<date>2100-06-01T00:00:00Z</date>",
          "<date>0001-01-01T00:00:00Z</date>", "<integer>18446744073709551615</integer>",
          "<integer>9223372036854775808</integer>", "<integer>-9223372036854775808</integer>",
          "<key>uid</key>\n\t<dict>\n\t\t<key>CF$UID</key>\n\t\t<integer>7</integer>"})
        EXPECT_TRUE(written.contains(value)) << value;
    // What would not read back the same is not written.
    for (const QVariant &bad : {QVariant(QString("a") + QChar(0)), QVariant(QString(QChar(0xDCFC))),
                                QVariant(QDateTime(QDate(10000, 1, 1), QTime(0, 0), Qt::UTC))})
        EXPECT_TRUE(WritePropertyListXml(QVariantList{bad}).isEmpty());
}

// XML lists map to values as they did when libplist read them; what libplist
// made up (a date out of none, the first of two values) is now left out. What
// would not be written back as it was makes the list inexact.
TEST(PropertyListTest, XmlValuesMapAsTheyAlwaysDid) {
    const struct {
        QByteArray xml;
        QVariant value;
        bool exact;
    } cases[] = {
        {"<integer> +42 </integer>", qint64(42), true},
        {"<string>a<!-- c -->b<![CDATA[<&>]]>&#x42;</string>", "ab<&>B", true},
        {"<dict><key>a</key><date>never</date><key>b</key><true/></dict>", QVariantMap{{"b", true}},
         false},
        {"<dict><key>a</key><true/><key>a</key><false/></dict>", QVariantMap{{"a", false}}, false},
        {"<date>2019-05-04T10:30:15.5Z</date>",
         QDateTime(QDate(2019, 5, 4), QTime(10, 30, 15), Qt::UTC), false},
        {"<integer>18446744073709551616</integer>", std::numeric_limits<quint64>::max(), false},
        {"<data>*</data>", QByteArray(""), false},
        {"<string>&undeclared;</string>", {}, false},
        {"<string>a</string><string>b</string>", {}, false},
        // Binary lists that XML cannot carry as they are: a UTF-16 text
        // holding U+0000 ({"a": "ä\0y"}), a fraction of a second (plistlib's).
        {QByteArray::fromHex(
             "62706c6973743030d1010251616300e400000079080b0d000000000000010100000000"
             "0000000300000000000000000000000000000014"),
         QVariantMap{{"a", "ä"}}, false},
        {QByteArray::fromHex(
             "62706c6973743030d1010251643341c13ed09ba00000080b0d00000000000001010000"
             "00000000000300000000000000000000000000000016"),
         QVariantMap{{"d", QDateTime(QDate(2019, 5, 4), QTime(10, 30, 15, 250), Qt::UTC)}}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.xml.toStdString());
        bool exact = !c.exact;
        const QByteArray bytes = c.xml.startsWith("bplist") ? c.xml : kHeader + c.xml + "</plist>";
        const QVariant value = ReadPropertyList(bytes, &exact);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(value.typeId(), c.value.typeId());
        EXPECT_TRUE(!value.isValid() || exact == c.exact);
    }
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
        "bplist00garbage",
        "<plist><dict><key>a</key>",
        nested("<array>", "</array>", 200000),
        BinaryChain(200000, 1),
        // Closing tags in comments do not lower the count.
        nested("<array><!-- </array> -->", "</array>", 600),
        nested("<array x=\"/>\">", "</array>", 200000),
        doctype + QByteArray("<array>").repeated(200000) + QByteArray("</array>").repeated(200000) +
            "</plist>",
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
    EXPECT_EQ(ReadPropertyList(BinaryChain(15, 2)).typeId(), QMetaType::QVariantList);
    EXPECT_EQ(ReadPropertyList(doctype + "<string>a</string></plist>"), QVariant("a"));
}

} // namespace
