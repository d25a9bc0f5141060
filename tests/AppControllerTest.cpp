// SPDX-License-Identifier: MIT
#include "app/AppController.h"
#include "BundleFixtures.h"
#include "DesktopFixture.h"
#include "DocFixtures.h"
#include "EntryFixtures.h"
#include "doc/ChooseBox.h"
#include "platform/Format.h"
#include "platform/RectText.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class AppControllerTest : public DesktopFixture {
protected:
    std::unique_ptr<AppController> start() {
        auto controller = std::make_unique<AppController>(applications());
        EXPECT_TRUE(controller->loadInterface());
        return controller;
    }
    static ChooseBox *box(AppController &controller, const QString &title) {
        for (ChooseBox *box : controller.prefsDlg()->findChildren<ChooseBox *>())
            if (box->title() == title)
                return box;
        return nullptr;
    }
    QVariantMap savedSettings() const { return ReadPropertyListFile(settingsFile()).toMap(); }
};

// initialize() does its work on its first call only, so this is the one test
// of the process that calls it.
TEST(StartUpTest, TheServicesStartOnceInOrderEvenWhenTheBundleIsSetAlready) {
    QTemporaryDir home;
    ASSERT_TRUE(WriteAll(home.filePath("blocked"), "a file, so no folder can be made below"));
    ScopedEnv homeEnv("HOME", QFile::encodeName(home.path()));
    ScopedEnv config("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("blocked/config")));
    gStrings.reset();
    gSettings = nullptr;
    AppController::initialize();
    EXPECT_TRUE(gStrings && !gStrings->isEmpty());
    // The settings came before the log: their folder's failure was dropped.
    ASSERT_TRUE(gSettings && LoggingEnabled());
    EXPECT_EQ(ReadAll(LogPath()).count('\n'), 1) << ReadAll(LogPath()).constData();
    TavoSettings *const first = gSettings;
    AppController::initialize();
    EXPECT_EQ(gSettings, first);
}

// Stored locations are checked and default ones looked for at every start,
// before the preferences window is built; a deleted location is forgotten
// without its default being tried in its place. Only QuarkXPress 2016 names
// its application after its version. Any path ending in "app" is then stored
// under the box's current title, without a check of the application.
TEST_F(AppControllerTest, TheFirstStartFillsFoundLocationsAndTheBoxesStoreNewOnes) {
    for (const QString app :
         {"QuarkXPress 2015/QuarkXPress.app", "QuarkXPress 2016/QuarkXPress 2016.app",
          "QuarkXPress 2016/QuarkXPress.app", "QuarkXPress 2017.app",
          "QuarkXPress 2017/QuarkXPress 2017.app", "Elsewhere/Quark.app",
          "QuarkXPress 2019/QuarkXPress.app", "Adobe InDesign 2020/Adobe InDesign 2020.app"})
        QDir().mkpath(applications() + '/' + app);
    gSettings->setValue("QuarkXPress 2018", applications() + "/Elsewhere/Quark.app");
    gSettings->setValue("QuarkXPress 2019", applications() + "/Deleted.app");
    gSettings->setValue("Adobe InDesign CC 2019", applications() + "/Gone.app");
    auto controller = start();
    EXPECT_TRUE(controller->panel()->isVisible());
    EXPECT_EQ(controller->prefsDlg(), nullptr);
    const QString apps = applications() + '/';
    EXPECT_EQ(
        gSettings->dict(),
        QVariantMap({{"QuarkXPress 2015", apps + "QuarkXPress 2015/QuarkXPress.app"},
                     {"QuarkXPress 2016", apps + "QuarkXPress 2016/QuarkXPress 2016.app"},
                     {"QuarkXPress 2017", apps + "QuarkXPress 2017.app"},
                     {"QuarkXPress 2018", apps + "Elsewhere/Quark.app"},
                     {"Adobe InDesign 2020", apps + "Adobe InDesign 2020/Adobe InDesign 2020.app"},
                     {"AddSuffix", qint64(0)}}));
    // What the user chose is not dropped unsaid.
    EXPECT_TRUE(log().contains("Nothing is at " + apps.toUtf8() +
                               "Deleted.app, the location of QuarkXPress 2019 any more; it was "
                               "removed from the settings\n"));

    // Built later, the window shows the same.
    controller->showPrefsDlg();
    EXPECT_TRUE(controller->prefsDlg()->isVisible());
    EXPECT_EQ(box(*controller, "QuarkXPress 2016")->path(),
              apps + "QuarkXPress 2016/QuarkXPress 2016.app");
    EXPECT_EQ(box(*controller, "Adobe InDesign CC 2019")->path(), QLatin1String(""));

    ChooseBox *chooser = box(*controller, "QuarkXPress 2016");
    EXPECT_EQ(chooser->draggingEntered(drag("/x/Snapp").get()), 2);
    EXPECT_TRUE(chooser->performDragOperation(drag("/x/Terminal.app").get()));
    EXPECT_EQ(gSettings->dict().value("QuarkXPress 2016"), "/x/Terminal.app");
    EXPECT_EQ(chooser->draggingEntered(drag("/x/Tool.APP").get()), 0);
    // A real drop is taken only as a link: a move-only source would delete.
    for (const Qt::DropActions actions :
         {Qt::DropActions(Qt::MoveAction), Qt::MoveAction | Qt::LinkAction}) {
        const auto moved = drag("/x/Moved.app");
        QDragEnterEvent entry(QPoint(5, 5), actions, moved.get(), Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(5, 5), actions, moved.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(chooser, &entry);
        QCoreApplication::sendEvent(chooser, &drop);
        EXPECT_EQ(drop.isAccepted(), actions.testFlag(Qt::LinkAction));
        EXPECT_EQ(gSettings->dict().value("QuarkXPress 2016").toString(),
                  drop.isAccepted() ? "/x/Moved.app" : "/x/Terminal.app");
    }
    chooser->setChooseFunction(
        [](QWidget *, const QString &, const QString &) { return QString("/opt/C.app"); });
    chooser->setTitle("QuarkXPress 2017");
    chooser->findChild<QPushButton *>()->click();
    EXPECT_EQ(gSettings->dict().value("QuarkXPress 2017"), "/opt/C.app");
}

// A version with neither a stored location nor a default bundle gets the
// desktop entry named like it whose program is there and that takes a
// document, as the desktop finds entries: the home's data folder before the
// system's, subfolders included, the first entry of an ID the only one.
TEST_F(AppControllerTest, AtStartVersionsWithoutALocationGetTheDesktopEntryNamedLikeThem) {
    ScopedEnv dataHome("XDG_DATA_HOME", QFile::encodeName(path("home")));
    ScopedEnv dataDirs("XDG_DATA_DIRS", QFile::encodeName(path("sys")));
    const QString home = path("home/applications/"), sys = path("sys/applications/");
    QDir().mkpath(applications() + "/QuarkXPress 2017.app");
    QDir().mkpath(path("Stored.app"));
    gSettings->setValue("QuarkXPress 2015", path("Stored.app"));
    gSettings->setValue("QuarkXPress 2019", path("Deleted.app"));
    for (const char *key : {"QuarkXPress 2015", "QuarkXPress 2017", "QuarkXPress 2019"})
        WriteEntry(home + key + ".desktop", key);
    const QString quark =
        WriteEntry(home + "wine/Programs/Quark/Q 2018.desktop", "QuarkXPress 2018");
    WriteEntry(home + "id-2024.desktop", "Adobe InDesign 2024", "Hidden=true\n");
    WriteEntry(sys + "id-2024.desktop", "Adobe InDesign 2024");
    const QString cc = WriteEntry(home + "z-cc.desktop", "Adobe InDesign CC 2019");
    WriteEntry(sys + "a-cc.desktop", "Adobe InDesign CC 2019");
    WriteEntry(home + "a-2020.desktop", "Adobe InDesign 2020", "TryExec=id-gone\nExec=true %f\n");
    const QString id2020 = WriteEntry(sys + "z-2020.desktop", "Adobe InDesign 2020");
    WriteEntry(home + "2021.desktop", "Adobe InDesign 2021", "Exec=true\n");
    WriteEntry(home + "2022.desktop", "Other", "Name[de]=Adobe InDesign 2022\nExec=true %f\n");
    // Name and Exec each behind pages of translations.
    QByteArray pages;
    for (int i = 0; i < 150; ++i)
        pages += "Comment[x" + QByteArray::number(i) + "]=A translated comment\n";
    const QString id2023 = sys + "pages.desktop";
    ASSERT_TRUE(WriteAll(id2023, "[Desktop Entry]\n" + pages + "Name=Adobe InDesign 2023\n" +
                                     pages + "Type=Application\nExec=true %f\n"));
    auto controller = start();
    EXPECT_EQ(gSettings->dict(),
              QVariantMap({{"QuarkXPress 2015", path("Stored.app")},
                           {"QuarkXPress 2017", applications() + "/QuarkXPress 2017.app"},
                           {"QuarkXPress 2018", quark},
                           {"Adobe InDesign CC 2019", cc},
                           {"Adobe InDesign 2020", id2020},
                           {"Adobe InDesign 2023", id2023},
                           {"AddSuffix", qint64(0)}}));
    EXPECT_TRUE(log().contains("QuarkXPress 2018 in the desktop entry “" + quark.toUtf8()))
        << log().constData();
}

// The desk's applications are offered (from subfolders too), the box's own
// first, the stored one selected; an entry that cannot open documents is
// refused however it comes, and nothing is stored.
TEST_F(AppControllerTest, TheBoxesOfferTheDesksApplicationsAndRefuseWhatCannotOpen) {
    const QList<DesktopApplication> offered = ApplicationsToOffer("QuarkXPress 2016");
    const QString quark = offered.value(0).entryPath, menu = offered.value(1).entryPath;
    EXPECT_TRUE(quark.endsWith("/applications/wine/Programs/QuarkXPress 2016/"
                               "QuarkXPress 2016 (Wine).desktop"));
    gSettings->setValue("QuarkXPress 2016", menu);
    ApplicationChooser chooser("QuarkXPress 2016", applications());
    QStringList shown;
    for (int row = 0; row < 3; ++row)
        shown << chooser.list()->item(row)->text();
    EXPECT_EQ(shown, QStringList({"QuarkXPress 2016 (Wine)", "QuarkXPress 2018 Launcher",
                                  "Adobe InDesign 2024 (VM)"}));
    EXPECT_EQ(ApplicationsToOffer("Adobe InDesign CS6").value(0).name, "Adobe InDesign 2024 (VM)");
    EXPECT_EQ(chooser.list()->currentRow(), 1);
    chooser.accept(); // refused: the dialog stays open
    EXPECT_EQ(alerts.value(0).message + alerts.value(0).detail,
              Format(GetString("entryRefused"), QString("QuarkXPress 2018 Launcher")) +
                  DesktopEntryRefusal(menu));
    EXPECT_TRUE(alerts.value(0).parent == &chooser && chooser.result() != QDialog::Accepted);
    chooser.list()->setCurrentRow(0);
    chooser.accept();
    EXPECT_TRUE(chooser.result() == QDialog::Accepted && chooser.chosen() == quark);

    // Dropped (from a file manager or a menu), or answered by another chooser.
    gSettings->setValue("QuarkXPress 2016", QVariant());
    auto controller = start();
    controller->showPrefsDlg();
    ChooseBox *box16 = box(*controller, "QuarkXPress 2016");
    EXPECT_EQ(box16->findChild<QLineEdit *>()->placeholderText(), "Not set");
    EXPECT_EQ(box16->draggingEntered(drag(menu).get()), 2);
    box16->performDragOperation(drag(menu).get());
    box16->setChooseFunction([&](QWidget *, const QString &, const QString &) { return menu; });
    box16->choose();
    EXPECT_TRUE(alerts.size() == 3 && alerts[2].parent == controller->prefsDlg() &&
                !gSettings->dict().contains("QuarkXPress 2016"));
    box16->performDragOperation(drag(quark).get());
    EXPECT_EQ(gSettings->dict().value("QuarkXPress 2016"), quark);
}

TEST_F(AppControllerTest, DocumentsHandedOverAtLaunchWaitForThePreferencesWindow) {
    gSettings->setShowPrefs(1);
    gSettings->setVisible(0);
    auto controller = start();
    EXPECT_EQ(controller->panel(), nullptr); // built when first shown
    ASSERT_TRUE(WriteAll(path("first.qxd"), FromHex("00004D4D58505233204C204C5850")));
    ASSERT_TRUE(WriteAll(path("second.indd"), InDesignVersionBytes(8, 0, 0, 0, 0)));
    // A head cut short is no document, whatever its first bytes say.
    ASSERT_TRUE(WriteAll(path("short.indd"), InDesignVersionBytes(14, 0, 0, 0, 0).left(511)));
    QStringList alerted; // each with whether the preferences window showed
    onAlert = [&](const AlertRequest &alert) {
        const bool shown = controller->prefsDlg() && controller->prefsDlg()->isVisible();
        alerted << (shown ? "shown: " : "hidden: ") + alert.message;
    };
    EXPECT_TRUE(controller->applicationOpenFile(path("first.qxd")));
    EXPECT_TRUE(controller->applicationOpenFile(path("second.indd")));
    EXPECT_TRUE(alerted.isEmpty());
    controller->applicationDidFinishLaunching();
    EXPECT_TRUE(controller->applicationOpenFile(path("short.indd"))); // opened at once
    const QString notFound = "shown: " + GetString("appNotFound");
    EXPECT_EQ(alerted, QStringList({Format(notFound, "QuarkXPress 2016"),
                                    Format(notFound, "Adobe InDesign CS6"),
                                    "shown: " + GetString("unknownDocType")}));
}

// File > Open takes a drop's road. A version without a location offers the
// chooser in its alert, and the document opens with what was chosen.
TEST_F(AppControllerTest, OpenedDocumentsOfAVersionWithoutALocationOfferTheChooser) {
    auto controller = start();
    QMainWindow *main = controller->mainWindow();
    gSettings->setAddSuffix(1);
    ASSERT_TRUE(WriteAll(path("notes.txt"), "no layout"));
    ASSERT_TRUE(WriteAll(path("Plan.qxd"), FromHex("00004D4D58505233204C204C5850")));
    ASSERT_TRUE(MakeRecordingBundle(path("Quark.app"), path("rec")));
    QStringList asked; // the folders Open started in, the keys chosen for
    QString chosen;
    const QStringList both{path("notes.txt"), path("Plan.qxd")};
    QList<QStringList> picked{both, both, {}, {path("Plan.qxd")}}; // the third is cancelled
    controller->setOpenFunction([&](QWidget *, const QString &folder) {
        asked << folder;
        return picked.takeFirst();
    });
    controller->dropView()->setChooseFunction([&](QWidget *, const QString &key, const QString &) {
        asked << key;
        return chosen;
    });
    answers = {1, 1, 1, 0}; // OK, then Choose… but cancelled
    controller->doOpen();
    controller->doOpen();
    EXPECT_FALSE(gSettings->dict().contains("QuarkXPress 2016"));
    chosen = path("Quark.app");
    answers = {0};
    controller->doOpen();
    main->show();
    QApplication::setActiveWindow(main);
    QTest::keyClick(main, Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(WaitForRecord(path("rec")));
    EXPECT_EQ(ReadAll(path("rec.arg")), QFile::encodeName(path("Plan.qxp")));
    EXPECT_EQ(gSettings->dict().value("QuarkXPress 2016"), chosen);
    const QString folder = QFileInfo(chosen).absolutePath();
    EXPECT_EQ(asked,
              QStringList({"", folder, "QuarkXPress 2016", folder, folder, "QuarkXPress 2016"}));
    ASSERT_EQ(alerts.size(), 5);
    for (const AlertRequest &alert : alerts)
        EXPECT_EQ(alert.parent, main);
    EXPECT_EQ(alerts[0].alternateButton + '|' + alerts[1].alternateButton, "|Choose…");
}

// Ctrl+, from the panel opens the preferences; Ctrl+Q from there quits and
// records the windows, which the next start puts back.
TEST_F(AppControllerTest, TheMenuKeysWorkFromEveryWindowAndQuitRecordsTheWindows) {
    auto controller = start();
    controller->mainWindow()->show();
    QWidget *panel = controller->panel();
    QStringList menus;
    for (QAction *menu : controller->mainWindow()->menuBar()->actions()) {
        menus << menu->text() + ":";
        for (QAction *item : menu->menu()->actions())
            menus << item->text() + ' ' + item->shortcut().toString();
    }
    EXPECT_EQ(menus.join(' '), "File: Open… Ctrl+O   Preferences… Ctrl+,   Quit Tavo Ctrl+Q "
                               "Help: Hide Panel F1   About Tavo ");
    // F1 toggles the panel from any window.
    QApplication::setActiveWindow(controller->mainWindow());
    for (const char *title : {"Show Panel 0", "Hide Panel 1"}) {
        QTest::keyClick(controller->mainWindow(), Qt::Key_F1);
        EXPECT_EQ(Format("%@ %d", controller->showMenuItem()->text(), panel->isVisible()), title);
    }
    panel->move(panel->pos() + QPoint(17, 23));
    const QRect frame = panel->geometry();
    QApplication::setActiveWindow(panel);
    QTest::keyClick(panel, Qt::Key_Comma, Qt::ControlModifier);
    ASSERT_NE(controller->prefsDlg(), nullptr);
    EXPECT_TRUE(controller->prefsDlg()->isVisible());
    EXPECT_EQ(QStringList({controller->mainWindow()->windowTitle(), panel->windowTitle(),
                           controller->prefsDlg()->windowTitle()}),
              QStringList({"Tavo", "Tavo Help", "Tavo Preferences"}));
    controller->useDocPrefsBtn()->click();
    QApplication::setActiveWindow(controller->prefsDlg());
    QTest::keyClick(controller->prefsDlg(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(panel->isVisible());
    controller->finish(); // what the end of the event loop does
    const QVariantMap saved = savedSettings();
    EXPECT_EQ(QList<QVariant>({saved.value("visible"), saved.value("ShowPrefs"),
                               saved.value("UseDocPrefs"), saved.value("Pos")}),
              QList<QVariant>({qint64(1), qint64(1), qint64(1), RectToString(frame)}));

    controller.reset();
    delete gSettings;
    gSettings = new TavoSettings;
    auto next = start();
    EXPECT_EQ(next->panel()->geometry().topLeft(), frame.topLeft());
    next->applicationDidFinishLaunching();
    EXPECT_TRUE(next->prefsDlg()->isVisible() && next->useDocPrefsBtn()->isChecked());
}

// What the user sees of the panel's item, the check boxes and the About box,
// and what the quit records of windows the user closed. A location stored as
// "" is none: a default folder takes its place, a default bundle does not.
TEST_F(AppControllerTest, TheItemSaysWhatItWillDoAndTheQuitRecordsClosedWindows) {
    presetDefaults({{"QuarkXPress 2015", ""}});
    gSettings->setValue("Adobe InDesign CS6", "");
    for (const QString app :
         {"QuarkXPress 2015/QuarkXPress.app", "Adobe InDesign CS6/Adobe InDesign CS6.app"})
        QDir().mkpath(applications() + '/' + app);
    gSettings->setAddSuffix(1);
    auto controller = start();
    QAction *item = controller->showMenuItem();
    QStringList shown{item->text() + (controller->panel()->isVisible() ? " 1" : " 0")};
    const auto step = [&](const std::function<void()> &action) {
        action();
        shown << item->text() + (controller->panel()->isVisible() ? " 1" : " 0");
    };
    step([&] { item->trigger(); });
    step([&] { item->trigger(); });
    step([&] { controller->panel()->close(); }); // by the window manager
    EXPECT_EQ(shown, QStringList({"Hide Panel 1", "Show Panel 0", "Hide Panel 1", "Show Panel 0"}));

    controller->showPrefsDlg();
    EXPECT_TRUE(controller->addSuffixBtn()->isChecked() &&
                !controller->useDocPrefsBtn()->isChecked());
    controller->addSuffixBtn()->click();
    // Neither a cancelled open panel nor a drop of anything but an "app" changes a location.
    ChooseBox *chooser = box(*controller, "QuarkXPress 2015");
    chooser->setChooseFunction(
        [](QWidget *, const QString &, const QString &) { return QString(); });
    chooser->findChild<QPushButton *>()->click();
    chooser->performDragOperation(drag("/x/Notes.txt").get());
    controller->prefsDlg()->close();
    controller->doAbout();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].message + " / " + alerts[0].detail,
              "Tavo, version 2.20 / Copyright © 2019–2026 Vellmoran. Free software under the MIT "
              "License.");
    controller->finish();
    const QVariantMap saved = savedSettings();
    EXPECT_EQ(
        QVariantList({saved.value("visible"), saved.value("ShowPrefs"), saved.value("AddSuffix"),
                      saved.contains("UseDocPrefs") || saved.contains("Adobe InDesign CS6"),
                      saved.value("QuarkXPress 2015")}),
        QVariantList({qint64(0), qint64(0), qint64(0), false,
                      applications() + "/QuarkXPress 2015/QuarkXPress.app"}));
}

} // namespace
