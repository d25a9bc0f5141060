// SPDX-License-Identifier: MIT
#include "doc/IdentifyDocument.h"
#include "DocFixtures.h"
#include "TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class IdentifyDocumentTest : public ::testing::Test {
protected:
    DocInfo identify(const QByteArray &bytes) {
        const QString path = dir.filePath(QStringLiteral("doc%1").arg(++count));
        EXPECT_TRUE(WriteAll(path, bytes));
        return IdentifyDocument(path);
    }

    QTemporaryDir dir;
    int count = 0;
};

bool Cleared(const DocInfo &info) {
    return info.version == 0 && info.creator == 0 && info.appName.isNull() &&
           info.versionName.isNull() && info.os.isNull() && info.ext.isNull() && info.type.isNull();
}

TEST_F(IdentifyDocumentTest, InDesignVersionsFromRealHeadsAndByteRules) {
    const struct {
        const char *what;
        QByteArray head;
        int version;
        const char *type, *name;
    } cases[] = {
        // Heads of real documents, from byte 24 on.
        {"5.0", InDesignHead({0x01, 0x70, 0x0F, 0x00, 0x00, 0x05}), 30, "IDd5", "CS3"},
        {"14.0", InDesignHead({0x01, 0x70, 0x0F, 0x00, 0x00, 0x0E}), 120, "IDdE", "CC 2019"},
        {"19.5", InDesignHead({0x01, 0x70, 0x0F, 0x00, 0x00, 0x13, 0, 0, 0, 5}), 170, "????",
         "2024"},
        // Big-endian documents carry the major version in byte 32, and only
        // InDesign 7 adds the minor version of byte 33.
        {"big-endian CS5.5", InDesignVersionBytes(0, 0, 0, 7, 5), 55, "IDd2", "CS5.5"},
        {"big-endian CS2", InDesignVersionBytes(0, 0, 0, 4, 0), 20, "IDd4", "CS2"},
        {"CC 2014", InDesignVersionBytes(10, 0, 0, 0, 0), 80, "IDdX", "CC 2014"},
        {"2020", InDesignVersionBytes(15, 0, 0, 0, 0), 130, "IDdF", "2020"},
        {"2021", InDesignVersionBytes(16, 0, 0, 0, 0), 140, "????", "2021"},
        {"2026", InDesignVersionBytes(21, 0, 0, 0, 0), 190, "????", "2026"},
        {"CS5 with a negative minor", InDesignVersionBytes(7, 0, 0, 0, 0xFB), 45, "????", "??"},
        // Byte 29 from 128 on is negative and does not qualify.
        {"byte 29 negative", InDesignVersionBytes(0x85, 0, 0, 6, 0), 40, "IDd6", "CS4"},
        // Unknown numbers are recognised, with the fallback texts; 255 - 2 as
        // a signed byte is -3.
        {"byte 29 at 4 falls to byte 32", InDesignVersionBytes(4, 0, 0, 0, 0), -20, "????", "??"},
        {"byte 32 at 255", InDesignVersionBytes(0, 0, 0, 0xFF, 0), -30, "????", "??"},
        {"major 22", InDesignVersionBytes(0x16, 0, 0, 0, 0), 200, "????", "??"},
        {"major 2 is version 0", InDesignVersionBytes(0, 0, 0, 2, 0), 0, "????", "??"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const DocInfo info = identify(c.head);
        EXPECT_EQ(info.version, c.version);
        EXPECT_EQ(info.type, QLatin1String(c.type));
        EXPECT_EQ(info.versionName, QLatin1String(c.name));
        EXPECT_EQ(info.appName + info.ext, "Adobe InDesignindd");
        EXPECT_EQ(info.creator, kInDesignCreator);
        EXPECT_TRUE(info.os.isNull());
        EXPECT_EQ(info.header[0], 0x06); // kept as read
    }
}

TEST_F(IdentifyDocumentTest, QuarkHeadsOfRealDocumentsAndTheTablesTolerances) {
    const struct {
        const char *what, *hex, *v, *os, *ext, *type;
    } cases[] = {
        {"3.1 Mac", "00004D4D58505233003900380000", "3", "M", "qxd", "XDOC"},
        {"3.1 Mac, own codes", "00004D4D58505233003900390000", "3", "M", "qxd", "XDOC"},
        {"3.3 Windows", "00004949585052333F003F000000", "3", "W", "qxd", "XDOC"},
        {"4.1 Mac", "00004D4D58505233004100414443", "4", "M", "qxd", "XDOC"},
        {"5 Web document", "00004D4D58505233004200425744", "5", "M", "qwd", "XDOC"},
        {"6.1 with high byte", "00004D4D58505233204320435850", "6", "M", "qxp", "XDOC"},
        {"7.1 Mac project", "00004D4D58505233204420445850", "7", "M", "qxp", "XDOC"},
        {"2015 Mac template", "00004D4D58505233204B204B5854", "2015", "M", "qpt", "XTMP"},
        {"byte 0 is ignored", "FF004D4D58505233204B204B5854", "2015", "M", "qpt", "XTMP"},
        {"2016 Windows", "00004949585052334C204C205850", "2016", "W", "qxp", "XDOC"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const DocInfo info = identify(FromHex(c.hex));
        EXPECT_EQ(info.creator, kQuarkCreator);
        EXPECT_EQ(info.appName, QLatin1String("QuarkXPress"));
        EXPECT_EQ(info.versionName, QLatin1String(c.v));
        EXPECT_EQ(info.version, QString::fromLatin1(c.v).toInt());
        EXPECT_EQ(info.os + info.ext + info.type, QString(c.os) + c.ext + c.type);
        EXPECT_EQ(info.header[0], 0);
    }

    // A table's entry is read tolerantly: a number is taken as its text, the
    // version is the text's leading integer, and a missing "os" is no platform.
    const char *key = "00004D4D58505233204C204C5850";
    const std::pair<QVariant, const char *> entries[] = {
        {qint64(2016), "2016 2016"}, {6.5, "6.5 6"}, {"3.1", "3.1 3"}, {"beta", "beta 0 unknown"}};
    for (const auto &[v, shown] : entries) {
        DocInfo info;
        const QByteArray head = FromHex(key, 14);
        std::copy(head.begin(), head.end(), info.header.begin());
        IdentifyHeader(info, QVariantMap{{"Quark", QVariantMap{{key, QVariantMap{{"v", v}}}}}});
        EXPECT_EQ(info.versionName + ' ' + QString::number(info.version) +
                      (info.recognised() ? "" : " unknown") + info.os,
                  shown);
    }
}

TEST_F(IdentifyDocumentTest, HostileShortAndUnreadableFilesGiveAClearedRecord) {
    QByteArray almost = InDesignVersionBytes(0x0F, 0, 0, 0, 0);
    almost[3] = '\xF4'; // the signature is all sixteen bytes
    for (const QByteArray &bytes :
         {QByteArray(512, '\xFF'), QByteArray(512, '\0'), almost, QByteArray::fromHex("0606EDF5"),
          FromHex("00004D4D58505233204B204B5854", 14),
          InDesignVersionBytes(0x0F, 0, 0, 0, 0).left(511), QByteArray()})
        EXPECT_TRUE(Cleared(identify(bytes))) << bytes.left(16).toHex().constData();
    // A 512-byte file is enough; what follows is never read.
    EXPECT_EQ(identify(InDesignVersionBytes(0x0F, 0, 0, 0, 0) + QByteArray(1 << 20, 'x')).version,
              130);

    // A FIFO, never opened, is the drop view's case. A name with a NUL in it
    // would name another file.
    const QString book = dir.filePath("book");
    ASSERT_TRUE(WriteAll(book, InDesignVersionBytes(0x0F, 0, 0, 0, 0)));
    for (const QString &path :
         {QString(), QString(""), dir.filePath("missing"), dir.path(), book + QChar(0) + "x"})
        EXPECT_TRUE(Cleared(IdentifyDocument(path))) << path.toStdString();

    // A document in a folder its reader may not enter.
    const QString locked = dir.filePath("locked");
    ASSERT_TRUE(WriteAll(locked + "/Book.indd", InDesignVersionBytes(0x0F, 0, 0, 0, 0)));
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
    const DocInfo info = [&] {
        ObeyFilePermissions asOwner;
        return IdentifyDocument(locked + "/Book.indd");
    }();
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(Cleared(info));
}

} // namespace
