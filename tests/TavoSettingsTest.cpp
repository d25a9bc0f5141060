// SPDX-License-Identifier: MIT
#include "toolkit/TavoSettings.h"
#include "DesktopFixture.h"
#include "doc/ApplicationLocations.h"
#include "platform/FileName.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using TavoSettingsTest = DesktopFixture;

// Integer settings fall back only when unset or -1; a window's frame is
// taken only where it lies on a screen.
TEST_F(TavoSettingsTest, IntegerSettingsAndWindowFramesFallBackOnlyWhenTheyMust) {
    EXPECT_EQ(TavoSettings().visible(), 1);
    presetDefaults({{"ShowPrefs", qint64(1)}, {"UseDocPrefs", "1"}, {"AddSuffix", qint64(1)}});
    TavoSettings settings;
    settings.setShowPrefs(-1);
    EXPECT_EQ((QList<qint64>{settings.showPrefs(), settings.useDocPrefs(), settings.addSuffix()}),
              (QList<qint64>{1, 1, 1}));
    // Only "AddSuffix" keeps what it fell back to: the file says which way
    // documents were renamed.
    EXPECT_EQ(settings.dict(), QVariantMap({{"ShowPrefs", qint64(-1)}, {"AddSuffix", qint64(1)}}));
    settings.setUseDocPrefs(-7);
    settings.setValue("visible", qint64(0x101));
    EXPECT_EQ(settings.useDocPrefs(), -7);
    EXPECT_EQ(settings.visible(), 1);
    ASSERT_TRUE(settings.save());
    EXPECT_TRUE(ReadAll(settingsFile()).contains("<key>visible</key>\n\t<integer>257</integer>"));

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QRect centred(0, 0, 200, 100);
    centred.moveCenter(screen.center());
    const QPoint corner = screen.bottomRight() - QPoint(10, 10);
    presetDefaults({{"Pos", "{{30, 40}, {200, 100}}"}}); // not read: the panel's own
    TavoSettings positions;
    positions.savePos(nullptr);
    const std::pair<QString, QRect> cases[] = {
        // Nothing stored, the all-zero frame of no window, an origin on no screen.
        {QString(), centred},
        {"", centred},
        {positions.dict().value("Pos").toString(), centred},
        {"{{0, 0}, {250, 150}}", centred},
        {QString("{{%1, 40}, {200, 100}}").arg(screen.right() + 50), centred},
        // An origin on a screen is taken with the size as stored, even when
        // the window then reaches beyond the screen, but never larger than
        // the screen; a frame without size keeps the window's.
        {QString("{{%1, %2}, {400, 300}}").arg(corner.x()).arg(corner.y()),
         {corner, QSize(400, 300)}},
        {"{{30.6,40.4},{3e2,+2}}", {31, 40, 300, 2}},
        {"{{30, 40}}", {30, 40, 200, 100}},
        {"{{30, 40}, {2000000000, 2000000000}}", {QPoint(30, 40), screen.size()}},
    };
    QWidget panel;
    for (const auto &[pos, frame] : cases) {
        positions.setDict(pos.isNull() ? QVariantMap() : QVariantMap{{"Pos", pos}});
        panel.setGeometry(screen.left() + 1, screen.top() + 1, 200, 100);
        positions.restorePos(&panel);
        EXPECT_EQ(panel.geometry(), frame) << pos.toStdString();
    }
    panel.setGeometry(50, -60, 320, 240);
    positions.savePos(&panel);
    EXPECT_EQ(positions.dict().value("Pos"), "{{50, -60}, {320, 240}}");
}

TEST_F(TavoSettingsTest, KeyedValuesAndTheDefaultsBehindThem) {
    presetDefaults({{"QuarkXPress 2016", "/opt/Q16.app"}, {"QuarkXPress 2017", "/opt/Q17.app"}});
    ASSERT_TRUE(WritePropertyListFile(path("config/Vellmoran/TavoDefaults.plist"),
                                      QVariantMap{{"QuarkXPress 2017", "/home/me/Q17.app"}}));
    TavoSettings settings;
    // The user's defaults hide the system's key by key; what is read is kept.
    EXPECT_EQ(settings.value("QuarkXPress 2017"), "/home/me/Q17.app");
    EXPECT_EQ(settings.value("QuarkXPress 2016"), "/opt/Q16.app");
    settings.setValue("Adobe InDesign CC 2019", "/opt/InDesign.app");
    settings.setValue("Adobe InDesign CC 2019", QString());
    settings.setValue("QuarkXPress 2016", QVariant()); // the defaults show through again
    EXPECT_EQ(settings.value("QuarkXPress 2016"), "/opt/Q16.app");
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(ReadPropertyListFile(settingsFile()),
              QVariant(QVariantMap({{"QuarkXPress 2016", "/opt/Q16.app"},
                                    {"QuarkXPress 2017", "/home/me/Q17.app"}})));
    // Defaults are read again when they change on disk.
    presetDefaults({{"QuarkXPress 2018", "/opt/Q18.app"}});
    EXPECT_EQ(settings.value("QuarkXPress 2018"), "/opt/Q18.app");

    // A value that cannot be saved leaves the old file whole, and says why.
    const QByteArray before = ReadAll(settingsFile());
    settings.setValue("bad", QVariant::fromValue(QRect(1, 2, 3, 4)));
    EXPECT_FALSE(settings.save());
    EXPECT_EQ(ReadAll(settingsFile()), before);
    EXPECT_TRUE(log().contains("The settings could not be saved to " + settingsFile().toUtf8() +
                               ": The value holds something a property list cannot express\n"))
        << log().constData();
}

// A root that is not a dictionary is unreadable too. An older copy with other
// bytes stays, one with the same bytes is reused, and anything at a copy's
// name (a dangling link too) is passed over; a link to the settings file
// itself once passed for a copy, and the file was overwritten.
TEST_F(TavoSettingsTest, AnUnreadableFileIsKeptBeforeItIsOverwritten) {
    const QString kept = settingsFile() + ".unreadable";
    const QByteArray broken = "<?xml version=\"1.0\"?><plist><dict><key>Quark";
    ASSERT_TRUE(WriteAll(settingsFile(), broken));
    ASSERT_EQ(::symlink("Tavo.plist", EncodeFileName(kept).constData()), 0);
    ASSERT_EQ(::symlink("nowhere", EncodeFileName(kept + "-2").constData()), 0);
    const QByteArray array = WritePropertyListXml(QVariantList{"a"});
    // An empty file holds nothing to lose and is not kept.
    for (const QByteArray &bytes : {QByteArray(), broken, broken, array, array}) {
        ASSERT_TRUE(WriteAll(settingsFile(), bytes));
        ASSERT_TRUE(TavoSettings().save());
        EXPECT_EQ(ReadPropertyListFile(settingsFile()), QVariant(QVariantMap()));
    }
    EXPECT_TRUE(QFileInfo(kept).isSymLink() && QFileInfo(kept + "-2").isSymLink());
    EXPECT_EQ(ReadAll(kept + "-3"), broken);
    EXPECT_EQ(ReadAll(kept + "-4"), array);
    EXPECT_FALSE(QFile::exists(kept + "-5"));
    EXPECT_TRUE(log().contains("The settings file " + settingsFile().toUtf8() +
                               " could not be read; it was kept as " + kept.toUtf8() + "-3\n"));
}

// A file from another machine, in any format, keeps every value it holds;
// what XML cannot hold as it was (a fraction of a second) is kept beside it.
// A name that is not UTF-8 once went into the file with "?" for its foreign
// byte and was dropped at the next start.
TEST_F(TavoSettingsTest, ForeignValuesAndNamesComeBackAsTheyWere) {
    ASSERT_TRUE(QFile::copy(TAVO_TEST_DATA "/foreign.bplist", settingsFile()));
    QVariantMap expected = ReadPropertyListFile(settingsFile()).toMap();
    expected.insert("visible", qint64(0));
    TavoSettings foreign;
    foreign.setVisible(0);
    ASSERT_TRUE(foreign.save());
    EXPECT_EQ(ReadAll(settingsFile()), WritePropertyListXml(expected)); // compared as in the file

    const QString app = DecodeFileName(EncodeFileName(applications()) + "/Z\xFCrich.app");
    ASSERT_EQ(::mkdir(EncodeFileName(app).constData(), 0755), 0);
    foreign.setValue("QuarkXPress 2016", app);
    ASSERT_TRUE(foreign.save());
    EXPECT_TRUE(ReadAll(settingsFile()).contains("<data>\n\t" + EncodeFileName(app).toBase64()));
    TavoSettings next;
    CheckApplicationLocation(next, "QuarkXPress 2016", applications());
    EXPECT_EQ(next.dict().value("QuarkXPress 2016"), QVariant(app));
    ::rmdir(EncodeFileName(app).constData());

    const QByteArray fraction = "<plist><dict><key>d</key><date>2019-05-04T10:30:15.5Z</date>"
                                "<key>n</key><integer>1</integer></dict></plist>";
    ASSERT_TRUE(WriteAll(settingsFile(), fraction));
    TavoSettings inexact;
    ASSERT_TRUE(inexact.dict().value("n") == qint64(1) && inexact.save() && inexact.save());
    EXPECT_EQ(ReadAll(settingsFile() + ".original"), fraction);
    EXPECT_EQ(log().count("The settings file " + settingsFile().toUtf8() +
                          " holds values that cannot be saved as they are; it was kept as " +
                          settingsFile().toUtf8() + ".original\n"),
              1);
}

// A 26 MiB binary file once went out as 37 MB of XML that the next start
// refused; a file too large to be read is left alone, and the log says why.
TEST_F(TavoSettingsTest, NothingIsWrittenThatCouldNotBeReadBack) {
    TavoSettings settings;
    settings.setValue("Large", QByteArray(25 << 20, 'x'));
    EXPECT_FALSE(settings.save() || QFile::exists(settingsFile()));
    EXPECT_TRUE(log().contains(": It would take 35980775 bytes, more than the 33554432 that are "
                               "read back\n"));
    const QByteArray huge((32 << 20) + 1, ' ');
    ASSERT_TRUE(WriteAll(settingsFile(), huge));
    EXPECT_FALSE(TavoSettings().save() || QFileInfo(settingsFile()).size() != huge.size());
    EXPECT_TRUE(log().contains(
        "The settings file " + settingsFile().toUtf8() +
        " could not be read, and no copy of it could be kept (It holds more than 33554432 "
        "bytes), so it was not overwritten\n"));
}

} // namespace
