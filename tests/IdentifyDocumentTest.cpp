#include "doc/IdentifyDocument.h"
#include "DocFixtures.h"
#include "doc/DocTypes.h"
#include "toolkit/Resources.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class IdentifyDocumentTest : public ::testing::Test {
protected:
    DocInfo identify(const QByteArray &bytes) {
        const QString path = dir.filePath(QStringLiteral("doc%1").arg(++count));
        EXPECT_TRUE(WriteFile(path, bytes));
        return IdentifyDocument(path);
    }

    QTemporaryDir dir;
    int count = 0;
};

void ExpectCleared(const DocInfo &info) {
    EXPECT_EQ(info.version, 0);
    EXPECT_EQ(info.creator, 0u);
    EXPECT_TRUE(info.appName.isNull());
    EXPECT_TRUE(info.versionName.isNull());
    EXPECT_TRUE(info.os.isNull());
    EXPECT_TRUE(info.ext.isNull());
    EXPECT_TRUE(info.type.isNull());
}

struct InDesignCase {
    const char *what;
    QByteArray head;
    int version;
    const char *type;
    const char *name;
};

TEST_F(IdentifyDocumentTest, InDesignVersionsFromRealHeadsAndByteRules) {
    const InDesignCase cases[] = {
        // Heads of real documents, from byte 24 on.
        {"InDesign 5.0", InDesignHead({0x01, 0x70, 0x0F, 0x00, 0x00, 0x05}), 30, "IDd5", "CS3"},
        {"InDesign 14.0", InDesignHead({0x01, 0x70, 0x0F, 0x00, 0x00, 0x0E}), 120, "IDdE",
         "CC 2019"},
        {"InDesign 15.0", InDesignHead({0x01, 0x70, 0x0F, 0x00, 0x00, 0x0F}), 130, "IDdF", "2020"},
        {"InDesign 19.5", InDesignHead({0x01, 0x70, 0x0F, 0x00, 0x00, 0x13, 0, 0, 0, 0x05}), 170,
         "????", "2024"},
        // Big-endian documents carry the major version in byte 32.
        {"big-endian CS5.5", InDesignVersionBytes(0, 0, 0, 7, 5), 55, "IDd2", "CS5.5"},
        {"big-endian CS2", InDesignVersionBytes(0, 0, 0, 4, 0), 20, "IDd4", "CS2"},
        {"CS5", InDesignVersionBytes(7, 0, 0, 0, 0), 50, "IDd7", "CS5"},
        {"CS5 minor 1", InDesignVersionBytes(7, 1, 0, 0, 0), 50, "IDd7", "CS5"},
        {"CS4", InDesignVersionBytes(6, 0, 0, 0, 0), 40, "IDd6", "CS4"},
        {"CS6", InDesignVersionBytes(8, 0, 0, 0, 0), 60, "IDd8", "CS6"},
        {"CC", InDesignVersionBytes(9, 0, 0, 0, 0), 70, "IDd9", "CC"},
        {"CC 2014", InDesignVersionBytes(10, 0, 0, 0, 0), 80, "IDdX", "CC 2014"},
        {"CC 2015", InDesignVersionBytes(11, 0, 0, 0, 0), 90, "IDdB", "CC 2015"},
        {"CC 2017", InDesignVersionBytes(12, 0, 0, 0, 0), 100, "IDdC", "CC 2017"},
        {"CC 2018", InDesignVersionBytes(13, 0, 0, 0, 0), 110, "IDdD", "CC 2018"},
        // Unknown numbers are recognised, with the fallback texts.
        {"byte 29 at 4 falls to byte 32", InDesignVersionBytes(4, 0, 0, 0, 0), -20, "????", "??"},
        // 2021 to 2026 are named, from either byte order; later ones are not yet.
        {"major 16", InDesignVersionBytes(0x10, 0, 0, 0, 0), 140, "????", "2021"},
        {"big-endian 2023", InDesignVersionBytes(0, 0, 0, 0x12, 0), 160, "????", "2023"},
        {"major 21", InDesignVersionBytes(0x15, 0, 0, 0, 0), 190, "????", "2026"},
        {"major 22", InDesignVersionBytes(0x16, 0, 0, 0, 0), 200, "????", "??"},
        {"major 3", InDesignVersionBytes(0, 0, 0, 3, 0), 10, "????", "??"},
        // Byte 29 from 128 on is negative and does not qualify.
        {"byte 29 negative", InDesignVersionBytes(0x85, 0, 0, 6, 0), 40, "IDd6", "CS4"},
        // 255 - 2 kept as a signed byte is -3.
        {"byte 32 at 255", InDesignVersionBytes(0, 0, 0, 0xFF, 0), -30, "????", "??"},
        {"CS5 with a negative minor", InDesignVersionBytes(7, 0, 0, 0, 0xFB), 45, "????", "??"},
    };
    for (const InDesignCase &c : cases) {
        SCOPED_TRACE(c.what);
        const DocInfo info = identify(c.head);
        EXPECT_EQ(info.version, c.version);
        EXPECT_EQ(info.type, QLatin1String(c.type));
        EXPECT_EQ(info.versionName, QLatin1String(c.name));
        EXPECT_EQ(info.appName, QLatin1String("Adobe InDesign"));
        EXPECT_EQ(info.creator, 0x496E446Eu);
        EXPECT_EQ(info.ext, QLatin1String("indd"));
        EXPECT_TRUE(info.os.isNull());
        // The InDesign head is kept as read.
        EXPECT_EQ(info.header[0], 0x06);
    }
}

TEST_F(IdentifyDocumentTest, InDesignMajorTwoIsNotRecognisedButNamed) {
    const DocInfo info = identify(InDesignVersionBytes(0, 0, 0, 2, 0));
    EXPECT_EQ(info.version, 0);
    EXPECT_FALSE(info.recognised());
    EXPECT_EQ(info.appName, QLatin1String("Adobe InDesign"));
    EXPECT_EQ(info.versionName, QLatin1String("??"));
    EXPECT_EQ(info.type, QLatin1String("????"));
}

struct QuarkCase {
    const char *what;
    const char *hex;
    const char *v;
    const char *os;
    const char *ext;
    const char *type;
};

TEST_F(IdentifyDocumentTest, QuarkHeadsOfRealDocuments) {
    const QuarkCase cases[] = {
        {"3.1 Mac document", "00004D4D58505233003900380000", "3", "M", "qxd", "XDOC"},
        {"3.3 Windows document", "00004949585052333F003F000000", "3", "W", "qxd", "XDOC"},
        {"4.1 Mac document", "00004D4D58505233004100414443", "4", "M", "qxd", "XDOC"},
        {"7.1 Mac project", "00004D4D58505233204420445850", "7", "M", "qxp", "XDOC"},
        {"2015 Mac project template", "00004D4D58505233204B204B5854", "2015", "M", "qpt", "XTMP"},
        {"byte 0 is ignored", "FF004D4D58505233204B204B5854", "2015", "M", "qpt", "XTMP"},
    };
    for (const QuarkCase &c : cases) {
        SCOPED_TRACE(c.what);
        const DocInfo info = identify(FromHex(c.hex));
        EXPECT_EQ(info.creator, 0x58505233u);
        EXPECT_EQ(info.appName, QLatin1String("QuarkXPress"));
        EXPECT_EQ(info.versionName, QLatin1String(c.v));
        EXPECT_EQ(info.version, QString::fromLatin1(c.v).toInt());
        EXPECT_EQ(info.os, QLatin1String(c.os));
        EXPECT_EQ(info.ext, QLatin1String(c.ext));
        EXPECT_EQ(info.type, QLatin1String(c.type));
        EXPECT_EQ(info.header[0], 0);
    }
}

// Every release, from either platform, in every kind of file it writes,
// rebuilt from the documented head layout rather than from the table.
TEST_F(IdentifyDocumentTest, QuarkTableKnowsEveryReleaseOnBothPlatforms) {
    struct Release {
        const char *v;
        std::vector<int> codes;
    };
    const Release releases[] = {
        {"3", {0x3C, 0x3F}},
        {"4", {0x40, 0x41}},
        {"5", {0x42}},
        {"6", {0x43}},
        {"7", {0x44}},
        {"8", {0x45}},
        {"9", {0x46, 0x47, 0x48}},
        {"10", {0x49, 0x4A}},
        {"2015", {0x4B}},
        {"2016", {0x4C}},
        {"2017", {0x4D}},
        {"2018", {0x4E}},
        {"2019", {0x4F}},
    };
    struct Kind {
        const char *bytes;
        const char *ext;
        const char *type;
    };
    for (const Release &r : releases) {
        const int release = QString::fromLatin1(r.v).toInt();
        std::vector<Kind> kinds;
        if (release == 3)
            kinds = {{"\0\0", "qxd", "XDOC"}};
        else if (release == 4)
            kinds = {{"DC", "qxd", "XDOC"}, {"TP", "qxt", "XTMP"}};
        else if (release == 5)
            kinds = {{"DC", "qxd", "XDOC"}, {"TP", "qxt", "XTMP"}, {"WD", "qwd", "XDOC"}};
        else
            kinds = {{"XP", "qxp", "XDOC"}, {"XT", "qpt", "XTMP"}};
        const int high = release >= 7 ? 0x20 : 0x00;
        for (const bool mac : {true, false}) {
            for (const int code : r.codes) {
                for (const Kind &kind : kinds) {
                    QByteArray head(512, '\0');
                    head.replace(2, 2, mac ? "MM" : "II");
                    head.replace(4, 4, "XPR3");
                    const char hi = char(high), lo = char(code);
                    for (int at : {8, 10}) {
                        head[at] = mac ? hi : lo;
                        head[at + 1] = mac ? lo : hi;
                    }
                    head[12] = kind.bytes[0];
                    head[13] = kind.bytes[1];
                    SCOPED_TRACE(QStringLiteral("%1 %2 code %3 %4")
                                     .arg(QLatin1String(r.v), mac ? "Mac" : "Win")
                                     .arg(code, 2, 16)
                                     .arg(QLatin1String(kind.ext))
                                     .toStdString());
                    const DocInfo info = identify(head);
                    EXPECT_EQ(info.versionName, QLatin1String(r.v));
                    EXPECT_EQ(info.version, release);
                    EXPECT_EQ(info.os, QLatin1String(mac ? "M" : "W"));
                    EXPECT_EQ(info.ext, QLatin1String(kind.ext));
                    EXPECT_EQ(info.type, QLatin1String(kind.type));
                }
            }
        }
    }
    // 3.1 has its own codes on each platform, and 6.1 may carry the high byte 20.
    EXPECT_EQ(identify(FromHex("00004D4D58505233003900390000")).versionName, QLatin1String("3"));
    EXPECT_EQ(identify(FromHex("00004949585052333A003A000000")).os, QLatin1String("W"));
    EXPECT_EQ(identify(FromHex("00004949585052333E003E000000")).versionName, QLatin1String("3"));
    EXPECT_EQ(identify(FromHex("00004D4D58505233204320435850")).versionName, QLatin1String("6"));
}

TEST_F(IdentifyDocumentTest, HostileAndShortFilesGiveAClearedRecord) {
    ExpectCleared(identify(QByteArray(512, '\xFF')));
    ExpectCleared(identify(QByteArray(512, '\0')));
    ExpectCleared(identify(QByteArray::fromHex("0606EDF5")));             // signature alone
    ExpectCleared(identify(FromHex("00004D4D58505233204B204B5854", 14))); // Quark head alone
    ExpectCleared(identify(InDesignVersionBytes(0x0F, 0, 0, 0, 0).left(511)));
    ExpectCleared(identify(QByteArray()));
    // A 512-byte file is enough; what follows is never read.
    EXPECT_EQ(identify(InDesignVersionBytes(0x0F, 0, 0, 0, 0)).version, 130);
    EXPECT_EQ(identify(InDesignVersionBytes(0x0F, 0, 0, 0, 0) + QByteArray(1 << 20, 'x')).version,
              130);

    ExpectCleared(IdentifyDocument(QString()));
    ExpectCleared(IdentifyDocument(QStringLiteral("")));
    ExpectCleared(IdentifyDocument(dir.filePath(QStringLiteral("missing"))));
    ExpectCleared(IdentifyDocument(dir.path()));
    ExpectCleared(IdentifyDocument(QStringLiteral("/dev/zero")));

    const QString locked = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(WriteFile(locked, InDesignVersionBytes(0x0F, 0, 0, 0, 0)));
    QFile::setPermissions(locked, QFileDevice::Permissions());
    if (!QFile(locked).open(QIODevice::ReadOnly)) // root reads anything
        ExpectCleared(IdentifyDocument(locked));
}

TEST(IdentifyHeaderTest, EntriesAreReadTolerantly) {
    const QString key = QStringLiteral("00004D4D58505233204C204C5850");
    auto identifyWith = [&](const QVariant &entry, const QString &withKey) {
        DocInfo info;
        const QByteArray head = FromHex(withKey.toLatin1().constData());
        std::copy(head.begin(), head.end(), info.header.begin());
        QVariantMap quark{{withKey, entry}};
        IdentifyHeader(info, QVariantMap{{QStringLiteral("Quark"), quark}});
        return info;
    };

    DocInfo info = identifyWith(QVariantMap{{"v", qint64(2016)}, {"ext", "qxp"}}, key);
    EXPECT_EQ(info.versionName, QLatin1String("2016"));
    EXPECT_EQ(info.version, 2016);
    EXPECT_TRUE(info.os.isNull());
    EXPECT_TRUE(info.type.isNull());

    info = identifyWith(QVariantMap{{"v", "CC"}}, key);
    EXPECT_EQ(info.version, 0);
    EXPECT_EQ(info.appName, QLatin1String("QuarkXPress"));

    info = identifyWith(QVariantMap{{"v", " 12 beta"}, {"os", "W"}}, key);
    EXPECT_EQ(info.version, 12);
    EXPECT_EQ(info.os, QLatin1String("W"));

    info = identifyWith(QVariantList{"2016"}, key);
    EXPECT_EQ(info.version, 0);
    EXPECT_EQ(info.creator, 0x58505233u);
    EXPECT_EQ(info.appName, QLatin1String("QuarkXPress"));
    EXPECT_TRUE(info.versionName.isNull());

    // Keys are compared exactly: lowercase hex never matches.
    info = identifyWith(QVariantMap{{"v", "2016"}}, key.toLower());
    EXPECT_EQ(info.creator, 0u);

    // No table, or a table of the wrong shape, recognises no QuarkXPress file.
    for (const QVariant &table :
         {QVariant(), QVariant(QVariantList{}), QVariant(QVariantMap{{"Quark", QVariantList{}}})}) {
        DocInfo none;
        const QByteArray head = FromHex(key.toLatin1().constData());
        std::copy(head.begin(), head.end(), none.header.begin());
        IdentifyHeader(none, table);
        EXPECT_EQ(none.creator, 0u);
    }
}

TEST(DocTypesTest, SignatureKeyIsUppercaseHexWithByteZeroCleared) {
    const QByteArray head = QByteArray::fromHex("4142434445464748494A4B4C4D4E");
    EXPECT_EQ(QuarkSignatureKey(reinterpret_cast<const unsigned char *>(head.constData())),
              QLatin1String("0042434445464748494A4B4C4D4E"));
}

// Runs in a process of its own, since the table is loaded once per process.
TEST(DocTypesDeathTest, MissingTableIsTriedAgainUntilFound) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quark"));
    ASSERT_TRUE(WriteFile(path, FromHex("00004D4D58505233204C204C5850")));
    const std::optional<Bundle> real = gBundle;
    EXPECT_EXIT(
        {
            gBundle = Bundle(dir.path());
            const bool before = IdentifyDocument(path).recognised();
            const bool inDesign = WriteFile(path + "i", InDesignVersionBytes(9, 0, 0, 0, 0)) &&
                                  IdentifyDocument(path + "i").version == 70;
            gBundle = real;
            const bool after = IdentifyDocument(path).version == 2016;
            std::exit(!before && inDesign && after ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
