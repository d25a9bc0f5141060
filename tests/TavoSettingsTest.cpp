#include "app/TavoSettings.h"
#include "QtPrinters.h"
#include "ScopedEnv.h"
#include "platform/DesktopLauncher.h"
#include "platform/PropertyList.h"
#include "platform/RectText.h"
#include "toolkit/Log.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Each test has its own configuration folders: the user's, which holds the
// settings file, and the system's for the defaults.
class TavoSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root.isValid()); }

    QString settingsFile() const { return root.filePath("config/Vellmoran/Tavo.plist"); }
    void userDefaults(const QVariantMap &map) {
        QDir().mkpath(root.filePath("config/Vellmoran"));
        ASSERT_TRUE(
            WritePropertyListFile(root.filePath("config/Vellmoran/TavoDefaults.plist"), map));
    }
    void systemDefaults(const QVariantMap &map) {
        QDir().mkpath(root.filePath("xdg/Vellmoran"));
        ASSERT_TRUE(WritePropertyListFile(root.filePath("xdg/Vellmoran/TavoDefaults.plist"), map));
    }
    QVariantMap fileContents() const { return ReadPropertyListFile(settingsFile()).toMap(); }

    QTemporaryDir root;
    ScopedEnv configHome{"XDG_CONFIG_HOME", QFile::encodeName(root.filePath("config"))};
    ScopedEnv configDirs{"XDG_CONFIG_DIRS", QFile::encodeName(root.filePath("xdg"))};
};

TEST_F(TavoSettingsTest, AFirstStartWithNothingStored) {
    TavoSettings settings;
    EXPECT_EQ(settings.path(), settingsFile());
    EXPECT_TRUE(QFileInfo(root.filePath("config/Vellmoran")).isDir());
    EXPECT_TRUE(settings.dict().isEmpty());
    EXPECT_EQ(settings.showPrefs(), 0);
    EXPECT_EQ(settings.useDocPrefs(), 0);
    EXPECT_EQ(settings.visible(), 1);
    EXPECT_FALSE(settings.value("QuarkXPress 2016").isValid());
    EXPECT_TRUE(settings.dict().isEmpty());
    EXPECT_EQ(settings.addSuffix(), 0);

    ASSERT_TRUE(settings.save());
    EXPECT_EQ(fileContents(), QVariantMap({{"AddSuffix", qint64(0)}}));
    EXPECT_TRUE(ReadAll(settingsFile()).contains("<key>AddSuffix</key>\n\t<integer>0</integer>"));
}

TEST_F(TavoSettingsTest, IntegerSettingsFallBackWhenUnsetOrMinusOne) {
    systemDefaults({{"ShowPrefs", qint64(1)}, {"UseDocPrefs", "1"}, {"AddSuffix", qint64(1)}});
    TavoSettings settings;
    EXPECT_EQ(settings.showPrefs(), 1);
    EXPECT_EQ(settings.useDocPrefs(), 1);
    EXPECT_FALSE(settings.dict().contains("ShowPrefs"));
    EXPECT_FALSE(settings.dict().contains("UseDocPrefs"));
    EXPECT_EQ(settings.addSuffix(), 1);
    EXPECT_EQ(settings.dict().value("AddSuffix"), QVariant(qint64(1)));

    settings.setShowPrefs(-1);
    settings.setUseDocPrefs(-1);
    settings.setAddSuffix(-1);
    EXPECT_EQ(settings.showPrefs(), 1);
    EXPECT_EQ(settings.useDocPrefs(), 1);
    EXPECT_EQ(settings.addSuffix(), 1);

    settings.setShowPrefs(0);
    settings.setUseDocPrefs(-7);
    settings.setAddSuffix(0);
    EXPECT_EQ(settings.showPrefs(), 0);
    EXPECT_EQ(settings.useDocPrefs(), -7);
    EXPECT_EQ(settings.addSuffix(), 0);

    settings.setVisible(0);
    EXPECT_EQ(settings.visible(), 0);
    settings.setValue("visible", qint64(0x101));
    EXPECT_EQ(settings.visible(), 1);
    settings.setValue("visible", qint64(0x100));
    EXPECT_EQ(settings.visible(), 0);
    settings.setVisible(1);

    // Every number goes to the file as an integer entry.
    ASSERT_TRUE(settings.save());
    const QByteArray xml = ReadAll(settingsFile());
    EXPECT_TRUE(xml.contains("<key>visible</key>\n\t<integer>1</integer>")) << xml.constData();
    EXPECT_TRUE(xml.contains("<key>UseDocPrefs</key>\n\t<integer>-7</integer>"));
    TavoSettings again;
    EXPECT_EQ(again.useDocPrefs(), -7);
    EXPECT_EQ(again.visible(), 1);
}

TEST_F(TavoSettingsTest, KeyedValuesAndTheDefaultsBehindThem) {
    systemDefaults({{"QuarkXPress 2016", "/opt/QuarkXPress 2016.app"},
                    {"QuarkXPress 2017", "/opt/System 2017.app"},
                    {"ShowPrefs", qint64(1)}});
    userDefaults({{"QuarkXPress 2017", "/home/me/Quark 2017.app"}});
    TavoSettings settings;

    // The user's defaults hide the system's key by key.
    EXPECT_EQ(settings.value("QuarkXPress 2017"), "/home/me/Quark 2017.app");
    EXPECT_EQ(settings.value("QuarkXPress 2016"), "/opt/QuarkXPress 2016.app");
    EXPECT_EQ(settings.dict().value("QuarkXPress 2016"), "/opt/QuarkXPress 2016.app");
    EXPECT_EQ(settings.showPrefs(), 1);

    settings.setValue("Adobe InDesign CC 2019", "/opt/InDesign.app");
    EXPECT_EQ(settings.value("Adobe InDesign CC 2019"), "/opt/InDesign.app");
    settings.setValue("Adobe InDesign CC 2019", QString());
    EXPECT_FALSE(settings.dict().contains("Adobe InDesign CC 2019"));
    EXPECT_FALSE(settings.value("Adobe InDesign CC 2019").isValid());

    // Removing a key lets the defaults show through again.
    settings.setValue("QuarkXPress 2016", "/elsewhere.app");
    EXPECT_EQ(settings.value("QuarkXPress 2016"), "/elsewhere.app");
    settings.setValue("QuarkXPress 2016", QVariant());
    EXPECT_EQ(settings.value("QuarkXPress 2016"), "/opt/QuarkXPress 2016.app");

    // Only what was read or set is saved; "ShowPrefs" stays in the defaults.
    ASSERT_TRUE(settings.save());
    EXPECT_EQ(fileContents(), QVariantMap({{"QuarkXPress 2016", "/opt/QuarkXPress 2016.app"},
                                           {"QuarkXPress 2017", "/home/me/Quark 2017.app"}}));

    // A stored file is read back with any property-list format, and set into.
    ASSERT_TRUE(QFile::remove(settingsFile()));
    ASSERT_TRUE(QFile::copy(TAVO_TEST_DATA "/binary.plist", settingsFile()));
    TavoSettings binary;
    EXPECT_EQ(binary.value("n"), QVariant(qint64(7)));
    binary.setValue("n", "seven");
    EXPECT_EQ(binary.value("n"), "seven");
}

TEST_F(TavoSettingsTest, AnUnreadableFileIsKeptBeforeItIsOverwritten) {
    StartLog(1, 12000, "Vellmoran");
    const QString kept = settingsFile() + ".unreadable";
    const QByteArray broken = "<?xml version=\"1.0\"?><plist><dict><key>Quark";

    ASSERT_TRUE(WriteAll(settingsFile(), broken));
    {
        TavoSettings settings;
        EXPECT_TRUE(settings.dict().isEmpty());
        // Nothing is touched until the store writes.
        EXPECT_FALSE(QFile::exists(kept));
        settings.setAddSuffix(1);
        ASSERT_TRUE(settings.save());
        EXPECT_EQ(ReadAll(kept), broken);
        EXPECT_EQ(fileContents(), QVariantMap({{"AddSuffix", qint64(1)}}));
        // The copy is made once; later saves just write.
        ASSERT_TRUE(settings.save());
        EXPECT_FALSE(QFile::exists(kept + "-2"));
    }
    EXPECT_TRUE(ReadAll(LogPath()).contains("The settings file " + settingsFile().toUtf8() +
                                            " could not be read; it was kept as " + kept.toUtf8()));

    // A root that is not a dictionary counts as unreadable too. An older copy
    // with other bytes stays; one with the same bytes is not made twice.
    const QByteArray array = WritePropertyListXml(QVariantList{"a"});
    for (int run = 0; run < 2; ++run) {
        ASSERT_TRUE(WriteAll(settingsFile(), array));
        TavoSettings settings;
        EXPECT_TRUE(settings.dict().isEmpty());
        ASSERT_TRUE(settings.save());
    }
    EXPECT_EQ(ReadAll(kept), broken);
    EXPECT_EQ(ReadAll(kept + "-2"), array);
    EXPECT_FALSE(QFile::exists(kept + "-3"));

    // An empty file holds nothing to keep.
    ASSERT_TRUE(WriteAll(settingsFile(), ""));
    TavoSettings empty;
    ASSERT_TRUE(empty.save());
    EXPECT_FALSE(QFile::exists(kept + "-3"));

    // When no copy can be kept, the file is left as it was.
    ASSERT_TRUE(WriteAll(settingsFile(), "garbage"));
    for (int n = 3; n <= 100; ++n)
        ASSERT_TRUE(WriteAll(kept + QStringLiteral("-%1").arg(n), "other"));
    TavoSettings full;
    full.setAddSuffix(1);
    EXPECT_FALSE(full.save());
    EXPECT_EQ(ReadAll(settingsFile()), "garbage");
    EXPECT_TRUE(ReadAll(LogPath()).contains("no copy of it could be kept"));
}

TEST_F(TavoSettingsTest, AFailedSaveLeavesTheOldFileWhole) {
    TavoSettings settings;
    settings.setValue("QuarkXPress 2016", "/opt/Q.app");
    ASSERT_TRUE(settings.save());
    const QByteArray before = ReadAll(settingsFile());

    // A value that no property list can hold makes the write fail.
    settings.setValue("bad", QVariant::fromValue(QRect(1, 2, 3, 4)));
    EXPECT_FALSE(settings.save());
    EXPECT_EQ(ReadAll(settingsFile()), before);

    settings.setPath(root.filePath("no/such/folder/Tavo.plist"));
    settings.setValue("bad", QVariant());
    EXPECT_FALSE(settings.save());
}

TEST_F(TavoSettingsTest, OpenShowsTheFileInItsApplication) {
    std::vector<QStringList> launched;
    const DesktopLauncher previous =
        SetDesktopLauncher([&](const QString &entry, const QStringList &files, bool) {
            launched.push_back(QStringList{entry} + files);
            return true;
        });
    ScopedEnv dataDirs{"XDG_DATA_DIRS", QFile::encodeName(root.filePath("share"))};
    ScopedEnv dataHome{"XDG_DATA_HOME", QFile::encodeName(root.filePath("home-share"))};
    QDir().mkpath(root.filePath("share"));
    ASSERT_TRUE(QFile::link("/usr/share/mime", root.filePath("share/mime")));
    ASSERT_TRUE(WriteAll(root.filePath("share/applications/pad.desktop"),
                         "[Desktop Entry]\nExec=pad %f\nMimeType=text/plain;\n"));

    TavoSettings settings;
    EXPECT_FALSE(settings.open());
    ASSERT_TRUE(settings.save());
    EXPECT_TRUE(settings.open());
    SetDesktopLauncher(previous);
    ASSERT_EQ(launched.size(), 1u);
    EXPECT_EQ(launched[0],
              QStringList({root.filePath("share/applications/pad.desktop"), settingsFile()}));
}

TEST(RectTextTest, TheTextFormReadsTolerantly) {
    EXPECT_EQ(RectToString(QRect(10, -20, 300, 200)), "{{10, -20}, {300, 200}}");
    EXPECT_EQ(RectFromString("{{10, -20}, {300, 200}}"), QRect(10, -20, 300, 200));
    EXPECT_EQ(RectFromString("{{10.6,20.4},{3e2,+2}}"), QRect(11, 20, 300, 2));
    EXPECT_EQ(RectFromString("{{10, 20}}"), QRect(10, 20, 0, 0));
    EXPECT_EQ(RectFromString("nothing"), QRect(0, 0, 0, 0));
    EXPECT_EQ(RectFromString(""), QRect(0, 0, 0, 0));
    EXPECT_EQ(RectFromString("{{1e300, 5}, {1, 1}}"), QRect(100000000, 5, 1, 1));
}

TEST_F(TavoSettingsTest, WindowPositions) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const auto centred = [&](const QWidget &w) {
        return w.frameGeometry().center() == screen.center() ||
               (w.frameGeometry().center() - screen.center()).manhattanLength() <= 1;
    };
    TavoSettings settings;
    QWidget panel;
    panel.resize(200, 100);

    // Nothing stored, or a frame of no window at all: centred.
    settings.restorePos(&panel);
    EXPECT_TRUE(centred(panel));
    settings.savePos(nullptr);
    EXPECT_EQ(settings.dict().value("Pos"), "{{0, 0}, {0, 0}}");
    panel.move(screen.topLeft() + QPoint(1, 1));
    settings.restorePos(&panel);
    EXPECT_TRUE(centred(panel));
    EXPECT_EQ(panel.size(), QSize(200, 100));

    // An origin on a screen is taken with the size as stored, even when the
    // window then reaches beyond the screen.
    const QRect beyond(screen.right() - 10, screen.bottom() - 10, 400, 300);
    settings.setDict({{"Pos", RectToString(beyond)}});
    settings.restorePos(&panel);
    EXPECT_EQ(panel.geometry(), beyond);

    // An origin off every screen, or at (0, 0), centres.
    settings.setDict({{"Pos", RectToString(QRect(screen.right() + 50, 40, 200, 100))}});
    settings.restorePos(&panel);
    EXPECT_TRUE(centred(panel));
    settings.setDict({{"Pos", "{{0, 0}, {250, 150}}"}});
    settings.restorePos(&panel);
    EXPECT_TRUE(centred(panel));
    settings.setDict({{"Pos", ""}});
    settings.restorePos(&panel);
    EXPECT_TRUE(centred(panel));

    // A stored frame without size keeps the window's size.
    settings.setDict({{"Pos", "{{30, 40}}"}});
    panel.resize(220, 120);
    settings.restorePos(&panel);
    EXPECT_EQ(panel.geometry(), QRect(30, 40, 220, 120));

    // A saved frame comes back through the file.
    panel.setGeometry(50, 60, 320, 240);
    settings.savePos(&panel);
    ASSERT_TRUE(settings.save());
    TavoSettings again;
    QWidget other;
    again.restorePos(&other);
    EXPECT_EQ(other.geometry(), QRect(50, 60, 320, 240));
    again.restorePos(nullptr);
}

} // namespace
