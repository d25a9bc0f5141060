#include "DocFixtures.h"
#include "TestSupport.h"

#include <QMimeDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The desktop learns our document types from the shipped MIME package; the
// heads decide even when a file's name says nothing.
TEST(DesktopIntegrationTest, MimePackageRecognisesLayoutDocumentsByTheirHeads) {
    QTemporaryDir data;
    ASSERT_TRUE(QDir().mkpath(data.filePath("mime/packages")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TAVO_SOURCE_DIR "/desktop/tavo-mime.xml"),
                            data.filePath("mime/packages/tavo.xml")));
    // Must come before the first use of the MIME database in this process.
    ScopedEnv dataDirs("XDG_DATA_DIRS", QFile::encodeName(data.path()) + ":/usr/share");
    ScopedEnv dataHome("XDG_DATA_HOME", QFile::encodeName(data.filePath("none")));

    const QString quark = "application/vnd.quark.quarkxpress";
    QMimeDatabase db;
    for (const char *hex : {"00004D4D58505233204C204C5850", "00004949585052333F003F000000"})
        EXPECT_EQ(db.mimeTypeForData(FromHex(hex)).name(), quark);
    EXPECT_EQ(db.mimeTypeForData(InDesignVersionBytes(8, 0, 0, 0, 0)).name(),
              "application/x-indesign");
    EXPECT_EQ(db.mimeTypeForFile("Plan.qxd", QMimeDatabase::MatchExtension).name(), quark);
}

} // namespace
