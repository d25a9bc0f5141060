#include "BundleFixtures.h"
#include "doc/AppleEvent.h"
#include "platform/BundleLauncher.h"
#include "platform/PropertyList.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(AppleEventTest, OpenDocumentEventCarriesTheBookmarkAndOnlyAYesForDocPrefs) {
    const AppleEvent plain = OpenDocumentEvent("/jobs/Plan 1.qxp", false);
    EXPECT_EQ(plain.eventClass, 0x61657674u);
    EXPECT_EQ(plain.eventID, 0x6F646F63u);
    EXPECT_EQ(plain.returnID, -1);
    EXPECT_EQ(plain.transactionID, 0);
    ASSERT_EQ(plain.params.size(), 1);
    const AppleEventParam *direct = plain.param(0x2D2D2D2D);
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(direct->descriptorType, 0x626D726Bu);
    EXPECT_EQ(direct->data, QByteArray("file:///jobs/Plan%201.qxp"));
    EXPECT_EQ(plain.param(0x4B505246), nullptr);

    const AppleEvent prefs = OpenDocumentEvent("/jobs/Plan.qxp", true);
    const AppleEventParam *kprf = prefs.param(0x4B505246);
    ASSERT_NE(kprf, nullptr);
    EXPECT_EQ(kprf->data, QByteArray("yes "));
    EXPECT_EQ(kprf->descriptorType, FourCharCode("enum"));

    const QVariantMap map = prefs.toPropertyList();
    EXPECT_EQ(map.value("eventClass").toString(), QLatin1String("aevt"));
    EXPECT_EQ(map.value("eventID").toString(), QLatin1String("odoc"));
    EXPECT_EQ(map.value("returnID").toLongLong(), -1);
    const QVariantList params = map.value("parameters").toList();
    ASSERT_EQ(params.size(), 2);
    EXPECT_EQ(params[0].toMap().value("keyword").toString(), QLatin1String("----"));
    EXPECT_EQ(params[1].toMap().value("descriptorType").toString(), QLatin1String("enum"));
}

TEST(BundleLauncherTest, StartsTheBundleProgramWithTheDocumentAndTheEvent) {
    QTemporaryDir dir;
    for (const bool withInfoPlist : {true, false}) {
        SCOPED_TRACE(withInfoPlist ? "Info.plist bundle" : "bundle without Info.plist");
        const QString bundle = dir.filePath(withInfoPlist ? "QuarkXPress 2016.app" : "Plain.app");
        const QString record = dir.filePath(withInfoPlist ? "rec1" : "rec2");
        ASSERT_TRUE(MakeRecordingBundle(bundle, record, withInfoPlist));
        const QByteArray event =
            WritePropertyListXml(OpenDocumentEvent("/x/Plan.qxp", true).toPropertyList());
        EXPECT_TRUE(LaunchBundle(bundle, "/x/Plan.qxp", event).isNull());
        ASSERT_TRUE(WaitForRecord(record));
        EXPECT_EQ(ReadAll(record + ".arg"), QByteArray("/x/Plan.qxp"));
        EXPECT_EQ(ReadAll(record + ".done").trimmed(), QByteArray("1"));
        const QVariantMap received = ReadPropertyList(ReadAll(record + ".in")).toMap();
        EXPECT_EQ(received.value("eventID").toString(), QLatin1String("odoc"));
    }
}

TEST(BundleLauncherTest, BundlesThatCannotBeStartedGiveAnError) {
    QTemporaryDir dir;
    EXPECT_FALSE(LaunchBundle(dir.filePath("Missing.app"), "/x", {}).isNull());
    EXPECT_FALSE(LaunchBundle(QString(), "/x", {}).isNull());

    const QString empty = dir.filePath("Empty.app");
    QDir().mkpath(empty);
    EXPECT_FALSE(LaunchBundle(empty, "/x", {}).isNull());

    // A program name that climbs out of the bundle is refused.
    const QString climbing = dir.filePath("Climb.app");
    QDir().mkpath(climbing + "/Contents/MacOS");
    WritePropertyListFile(climbing + "/Contents/Info.plist",
                          QVariantMap{{"CFBundleExecutable", "../../../../bin/sh"}});
    QString error;
    EXPECT_TRUE(BundleProgram(climbing, &error).isNull());
    EXPECT_FALSE(error.isEmpty());

    // A program that is not executable.
    const QString record = dir.filePath("rec");
    const QString locked = dir.filePath("Locked.app");
    ASSERT_TRUE(MakeRecordingBundle(locked, record));
    QFile::setPermissions(locked + "/Contents/MacOS/Layout App",
                          QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_FALSE(LaunchBundle(locked, "/x", {}).isNull());
    EXPECT_FALSE(QFile::exists(record + ".done"));
}

} // namespace
