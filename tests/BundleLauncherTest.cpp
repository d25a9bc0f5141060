// SPDX-License-Identifier: MIT
#include "platform/BundleLauncher.h"
#include "BundleFixtures.h"
#include "doc/AppleEvent.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The layout application reads the whole open-document event from its input;
// a bundle that cannot be started gives an error and starts nothing.
TEST(BundleLauncherTest, StartsOnlyTheBundlesOwnProgramWithTheDocumentAndTheEvent) {
    QTemporaryDir dir;
    for (const bool withInfoPlist : {true, false}) {
        const QString bundle = dir.filePath(withInfoPlist ? "QuarkXPress 2016.app" : "Plain.app");
        const QString record = bundle + ".rec";
        ASSERT_TRUE(MakeRecordingBundle(bundle, record, withInfoPlist));
        const AppleEvent event = OpenDocumentEvent("/x/Plan 1.qxp", withInfoPlist);
        EXPECT_TRUE(
            LaunchBundle(bundle, "/x/Plan 1.qxp", WritePropertyListXml(event.toPropertyList()))
                .isNull());
        ASSERT_TRUE(WaitForRecord(record));
        EXPECT_EQ(ReadAll(record + ".arg") + ReadAll(record + ".done"), "/x/Plan 1.qxp1\n");
        QVariantList parameters{QVariantMap{{"keyword", "----"},
                                            {"descriptorType", "bmrk"},
                                            {"data", QByteArray("file:///x/Plan%201.qxp")}}};
        if (withInfoPlist)
            parameters << QVariantMap{
                {"keyword", "KPRF"}, {"descriptorType", "enum"}, {"data", QByteArray("yes ")}};
        EXPECT_EQ(ReadPropertyList(ReadAll(record + ".in")),
                  QVariant(QVariantMap{{"eventClass", "aevt"},
                                       {"eventID", "odoc"},
                                       {"returnID", qint64(-1)},
                                       {"transactionID", qint64(0)},
                                       {"parameters", parameters}}));
    }

    const QString record = dir.filePath("rec");
    ASSERT_TRUE(MakeRecordingBundle(dir.filePath("Outside.app"), record, false));
    // A program name with a path of its own could lead out of the bundle.
    ASSERT_TRUE(QDir().mkpath(dir.filePath("Climb.app/Contents/MacOS")));
    ASSERT_TRUE(WriteAll(
        dir.filePath("Climb.app/Contents/Info.plist"),
        WritePropertyListXml(QVariantMap{{"CFBundleExecutable", "../../../Outside.app/Outside"}})));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("Empty.app")));
    ASSERT_TRUE(MakeRecordingBundle(dir.filePath("Locked.app"), record));
    QFile::setPermissions(dir.filePath("Locked.app/Contents/MacOS/Layout App"),
                          QFile::ReadOwner | QFile::WriteOwner);
    for (const QString &bundle : {QString(), dir.filePath("Missing.app"), dir.filePath("Empty.app"),
                                  dir.filePath("Climb.app"), dir.filePath("Locked.app")})
        EXPECT_FALSE(LaunchBundle(bundle, "/x", {}).isNull()) << bundle.toStdString();
    EXPECT_FALSE(QFile::exists(record + ".done"));
}

} // namespace
