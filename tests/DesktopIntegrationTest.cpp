// SPDX-License-Identifier: MIT
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

    QMimeDatabase db;
    EXPECT_EQ(QStringList({db.mimeTypeForData(FromHex("00004D4D58505233204C204C5850")).name(),
                           db.mimeTypeForData(FromHex("00004949585052333F003F000000")).name(),
                           db.mimeTypeForData(InDesignVersionBytes(8, 0, 0, 0, 0)).name(),
                           db.mimeTypeForFile("Plan.qxd", QMimeDatabase::MatchExtension).name()}),
              QStringList({"application/vnd.quark.quarkxpress", "application/vnd.quark.quarkxpress",
                           "application/x-indesign", "application/vnd.quark.quarkxpress"}));
}

} // namespace
