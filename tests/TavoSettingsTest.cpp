#include "toolkit/TavoSettings.h"
#include "TestSupport.h"
#include "platform/FileName.h"
#include "platform/PropertyList.h"
#include "platform/RectText.h"
#include "toolkit/Log.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Each test has its own configuration folders: the user's holds the settings
// file, the system's the administrator's defaults.
class TavoSettingsTest : public ::testing::Test {
protected:
    QString settingsFile() const { return root.filePath("config/Vellmoran/Tavo.plist"); }
    void defaults(const QString &folder, const QVariantMap &map) {
        QDir().mkpath(root.filePath(folder + "/Vellmoran"));
        ASSERT_TRUE(
            WritePropertyListFile(root.filePath(folder + "/Vellmoran/TavoDefaults.plist"), map));
    }
    QVariantMap saved() const { return ReadPropertyListFile(settingsFile()).toMap(); }

    QTemporaryDir root;
    ScopedEnv configHome{"XDG_CONFIG_HOME", QFile::encodeName(root.filePath("config"))};
    ScopedEnv configDirs{"XDG_CONFIG_DIRS", QFile::encodeName(root.filePath("xdg"))};
};

TEST_F(TavoSettingsTest, AFirstStartWithNothingStored) {
    TavoSettings settings;
    EXPECT_EQ(settings.showPrefs(), 0);
    EXPECT_EQ(settings.useDocPrefs(), 0);
    EXPECT_EQ(settings.visible(), 1);
    EXPECT_FALSE(settings.value("QuarkXPress 2016").isValid());
    EXPECT_TRUE(settings.dict().isEmpty());
    EXPECT_EQ(settings.addSuffix(), 0);
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(saved(), QVariantMap({{"AddSuffix", qint64(0)}}));
}

TEST_F(TavoSettingsTest, IntegerSettingsFallBackWhenUnsetOrMinusOne) {
    defaults("xdg", {{"ShowPrefs", qint64(1)}, {"UseDocPrefs", "1"}, {"AddSuffix", qint64(1)}});
    TavoSettings settings;
    settings.setShowPrefs(-1);
    EXPECT_EQ(settings.showPrefs(), 1);
    EXPECT_EQ(settings.useDocPrefs(), 1);
    EXPECT_EQ(settings.addSuffix(), 1);
    // Only "AddSuffix" keeps what it fell back to.
    EXPECT_EQ(settings.dict(), QVariantMap({{"ShowPrefs", qint64(-1)}, {"AddSuffix", qint64(1)}}));

    settings.setShowPrefs(0);
    settings.setUseDocPrefs(-7);
    settings.setVisible(0);
    EXPECT_EQ(settings.showPrefs(), 0);
    EXPECT_EQ(settings.useDocPrefs(), -7);
    EXPECT_EQ(settings.visible(), 0);
    settings.setValue("visible", qint64(0x101));
    EXPECT_EQ(settings.visible(), 1);

    // Every number, "visible" too, goes to the file as an integer entry.
    ASSERT_TRUE(settings.save());
    EXPECT_TRUE(ReadAll(settingsFile()).contains("<key>visible</key>\n\t<integer>257</integer>"));
    EXPECT_EQ(TavoSettings().useDocPrefs(), -7);
}

TEST_F(TavoSettingsTest, KeyedValuesAndTheDefaultsBehindThem) {
    defaults("xdg", {{"QuarkXPress 2016", "/opt/Q16.app"}, {"QuarkXPress 2017", "/opt/Q17.app"}});
    defaults("config", {{"QuarkXPress 2017", "/home/me/Q17.app"}});
    TavoSettings settings;

    // The user's defaults hide the system's key by key; what is read is kept.
    EXPECT_EQ(settings.value("QuarkXPress 2017"), "/home/me/Q17.app");
    EXPECT_EQ(settings.value("QuarkXPress 2016"), "/opt/Q16.app");
    settings.setValue("Adobe InDesign CC 2019", "/opt/InDesign.app");
    settings.setValue("Adobe InDesign CC 2019", QString());
    EXPECT_FALSE(settings.value("Adobe InDesign CC 2019").isValid());

    // Removing a key lets the defaults show through again.
    settings.setValue("QuarkXPress 2016", "/elsewhere.app");
    EXPECT_EQ(settings.value("QuarkXPress 2016"), "/elsewhere.app");
    settings.setValue("QuarkXPress 2016", QVariant());
    EXPECT_EQ(settings.value("QuarkXPress 2016"), "/opt/Q16.app");
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(saved(), QVariantMap({{"QuarkXPress 2016", "/opt/Q16.app"},
                                    {"QuarkXPress 2017", "/home/me/Q17.app"}}));
    // Defaults are read once, and again when they change on disk.
    defaults("xdg", {{"QuarkXPress 2018", "/opt/Q18.app"}});
    EXPECT_EQ(settings.value("QuarkXPress 2018"), "/opt/Q18.app");

    // Any property-list format is read.
    ASSERT_TRUE(QFile::remove(settingsFile()));
    ASSERT_TRUE(QFile::copy(TAVO_TEST_DATA "/binary.plist", settingsFile()));
    EXPECT_EQ(TavoSettings().value("n"), QVariant(qint64(7)));
}

TEST_F(TavoSettingsTest, AnUnreadableFileIsKeptBeforeItIsOverwritten) {
    StartLog(1, 12000, "Vellmoran");
    const QString kept = settingsFile() + ".unreadable";
    const QByteArray broken = "<?xml version=\"1.0\"?><plist><dict><key>Quark";
    ASSERT_TRUE(WriteAll(settingsFile(), broken));
    TavoSettings settings;
    EXPECT_TRUE(settings.dict().isEmpty());
    EXPECT_FALSE(QFile::exists(kept));
    settings.setAddSuffix(1);
    ASSERT_TRUE(settings.save());
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(ReadAll(kept), broken);
    EXPECT_EQ(saved(), QVariantMap({{"AddSuffix", qint64(1)}}));
    EXPECT_TRUE(ReadAll(LogPath()).contains("The settings file " + settingsFile().toUtf8() +
                                            " could not be read; it was kept as " + kept.toUtf8() +
                                            "\n"));

    // A root that is not a dictionary is unreadable too. An older copy with
    // other bytes stays; one with the same bytes is reused.
    const QByteArray array = WritePropertyListXml(QVariantList{"a"});
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(WriteAll(settingsFile(), array));
        ASSERT_TRUE(TavoSettings().save());
    }
    EXPECT_EQ(ReadAll(kept), broken);
    EXPECT_EQ(ReadAll(kept + "-2"), array);
    EXPECT_FALSE(QFile::exists(kept + "-3"));

    // When no copy can be kept, the file is left as it is.
    ASSERT_TRUE(WriteAll(settingsFile(), "garbage"));
    for (int n = 3; n <= 100; ++n)
        ASSERT_TRUE(WriteAll(kept + QStringLiteral("-%1").arg(n), "other"));
    EXPECT_FALSE(TavoSettings().save());
    EXPECT_EQ(ReadAll(settingsFile()), "garbage");
}

// The copy once went through a plain open, write and flush, and a dangling
// link at its name passed for free and was removed.
TEST_F(TavoSettingsTest, AKeptCopyNeverTakesANameInUse) {
    const QString kept = settingsFile() + ".unreadable";
    ASSERT_TRUE(WriteAll(settingsFile(), "garbage"));
    ASSERT_EQ(::symlink("nowhere", EncodeFileName(kept).constData()), 0);
    ASSERT_TRUE(TavoSettings().save());
    EXPECT_TRUE(QFileInfo(kept).isSymLink());
    EXPECT_EQ(ReadAll(kept + "-2"), "garbage");
    EXPECT_EQ(QDir(root.filePath("config/Vellmoran")).entryList(QDir::Files | QDir::System),
              QStringList({"Tavo.plist", "Tavo.plist.unreadable", "Tavo.plist.unreadable-2"}));
}

TEST_F(TavoSettingsTest, AFailedSaveLeavesTheOldFileWholeAndSaysWhy) {
    StartLog(1, 12000, "Vellmoran");
    TavoSettings settings;
    settings.setValue("QuarkXPress 2016", "/opt/Q.app");
    ASSERT_TRUE(settings.save());
    const QByteArray before = ReadAll(settingsFile());
    settings.setValue("bad", QVariant::fromValue(QRect(1, 2, 3, 4)));
    EXPECT_FALSE(settings.save());
    EXPECT_EQ(ReadAll(settingsFile()), before);

    const QString folder = root.filePath("config/Vellmoran");
    ASSERT_TRUE(QDir(folder).removeRecursively());
    settings.setValue("bad", QVariant());
    EXPECT_FALSE(settings.save());
    const QByteArray log = ReadAll(LogPath());
    const QByteArray failed =
        "The settings could not be saved to " + settingsFile().toUtf8() + ": ";
    EXPECT_TRUE(log.contains(failed + "The value holds something a property list cannot express\n"))
        << log.constData();
    EXPECT_TRUE(log.contains(failed + folder.toUtf8() + ": No such file or directory\n"))
        << log.constData();
}

TEST(RectTextTest, TheTextFormReadsTolerantly) {
    EXPECT_EQ(RectToString(QRect(10, -20, 300, 200)), "{{10, -20}, {300, 200}}");
    EXPECT_EQ(RectFromString("{{10.6,20.4},{3e2,+2}}"), QRect(11, 20, 300, 2));
    EXPECT_EQ(RectFromString("{{10, 20}}"), QRect(10, 20, 0, 0));
    EXPECT_EQ(RectFromString("{{1e300, 5}, {nothing}}"), QRect(100000000, 5, 0, 0));
}

TEST_F(TavoSettingsTest, WindowPositions) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    TavoSettings settings;
    QWidget panel;
    panel.resize(200, 100);
    const auto restoredCentred = [&](const QString &pos) {
        settings.setDict({{"Pos", pos}});
        panel.move(screen.topLeft() + QPoint(1, 1));
        settings.restorePos(&panel);
        return (panel.frameGeometry().center() - screen.center()).manhattanLength() <= 1 &&
               panel.size() == QSize(200, 100);
    };
    EXPECT_TRUE(restoredCentred(""));
    EXPECT_TRUE(restoredCentred("{{0, 0}, {250, 150}}"));
    EXPECT_TRUE(restoredCentred(RectToString(QRect(screen.right() + 50, 40, 200, 100))));
    settings.savePos(nullptr);
    EXPECT_TRUE(restoredCentred(settings.dict().value("Pos").toString()));

    // An origin on a screen is taken with the size as stored, even when the
    // window then reaches beyond the screen; a frame without size keeps the
    // window's.
    const QRect beyond(screen.right() - 10, screen.bottom() - 10, 400, 300);
    settings.setDict({{"Pos", RectToString(beyond)}});
    settings.restorePos(&panel);
    EXPECT_EQ(panel.geometry(), beyond);
    settings.setDict({{"Pos", "{{30, 40}}"}});
    settings.restorePos(&panel);
    EXPECT_EQ(panel.geometry(), QRect(30, 40, 400, 300));
    // No stored size makes a window larger than the screen it lands on.
    settings.setDict({{"Pos", "{{30, 40}, {2000000000, 2000000000}}"}});
    settings.restorePos(&panel);
    EXPECT_EQ(panel.geometry(), QRect(QPoint(30, 40), screen.size()));

    // A saved frame comes back through the file.
    panel.setGeometry(50, 60, 320, 240);
    settings.savePos(&panel);
    ASSERT_TRUE(settings.save());
    QWidget other;
    TavoSettings().restorePos(&other);
    EXPECT_EQ(other.geometry(), QRect(50, 60, 320, 240));
}

} // namespace
