#include "app/AppController.h"
#include "DesktopFixture.h"
#include "DocFixtures.h"
#include "app/Forms.h"
#include "doc/ChooseBox.h"
#include "platform/Format.h"
#include "platform/RectText.h"
#include "platform/ViewWithTag.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
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
    // The location shown in the box titled `title`.
    QString box(AppController &controller, const QString &title) {
        for (ChooseBox *box : controller.prefsDlg()->findChildren<ChooseBox *>())
            if (box->title() == title)
                return box->path();
        return QStringLiteral("<no box>");
    }
    QVariantMap savedSettings() const { return ReadPropertyListFile(settingsFile()).toMap(); }
};

// initialize() does its work on its first call only, so this is the one test
// of the process that calls it.
TEST(StartUpTest, TheServicesStartOnceInOrderEvenWhenTheBundleIsSetAlready) {
    ASSERT_TRUE(gBundle); // as test_main set it
    QTemporaryDir home;
    ASSERT_TRUE(WriteAll(home.filePath("blocked"), "a file, so no folder can be made below"));
    ScopedEnv homeEnv("HOME", QFile::encodeName(home.path()));
    ScopedEnv config("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("blocked/config")));
    gStrings.reset();
    gSettings = nullptr;
    AppController::initialize();
    EXPECT_TRUE(gStrings && !gStrings->isEmpty());
    ASSERT_NE(gSettings, nullptr);
    // The settings came before the log: their folder's failure was dropped.
    ASSERT_TRUE(LoggingEnabled());
    EXPECT_EQ(ReadAll(LogPath()).count('\n'), 1) << ReadAll(LogPath()).constData();
    TavoSettings *const first = gSettings;
    AppController::initialize();
    EXPECT_EQ(gSettings, first);
}

TEST_F(AppControllerTest, TheFirstStartShowsThePanelCentredAndFillsFoundDefaults) {
    for (const QString app : {"QuarkXPress 2017.app", "QuarkXPress 2016/QuarkXPress 2016.app",
                              "Adobe InDesign 2020/Adobe InDesign 2020.app"})
        QDir().mkpath(applications() + '/' + app);
    gSettings->setValue("Adobe InDesign CC 2019", applications() + "/Gone.app");
    auto controller = start();
    EXPECT_TRUE(controller->panel()->isVisible());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(qAbs(controller->panel()->geometry().center().x() - screen.center().x()), 2);
    EXPECT_EQ(controller->showMenuItem()->text(), GetString("hidePanel"));

    // The preferences window is not built until it is asked for, but what
    // building it did to the settings has happened.
    EXPECT_EQ(controller->prefsDlg(), nullptr);
    for (QWidget *widget : QApplication::allWidgets())
        EXPECT_EQ(qobject_cast<ChooseBox *>(widget), nullptr);
    EXPECT_EQ(gSettings->dict(),
              QVariantMap(
                  {{"QuarkXPress 2016", applications() + "/QuarkXPress 2016/QuarkXPress 2016.app"},
                   {"QuarkXPress 2017", applications() + "/QuarkXPress 2017.app"},
                   {"Adobe InDesign 2020",
                    applications() + "/Adobe InDesign 2020/Adobe InDesign 2020.app"},
                   {"AddSuffix", qint64(0)}}));

    // Built later, the window shows the same, in the user's language.
    controller->showPrefsDlg();
    EXPECT_TRUE(controller->prefsDlg()->isVisible());
    auto *field = qobject_cast<QLineEdit *>(ViewWithTag(controller->prefsDlg(), 116));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text(), applications() + "/QuarkXPress 2016/QuarkXPress 2016.app");
    EXPECT_EQ(box(*controller, "Adobe InDesign 2020"),
              applications() + "/Adobe InDesign 2020/Adobe InDesign 2020.app");
    EXPECT_EQ(box(*controller, "Adobe InDesign CC 2019"), QLatin1String(""));
    EXPECT_FALSE(controller->useDocPrefsBtn()->isChecked() ||
                 controller->addSuffixBtn()->isChecked());
    EXPECT_EQ(controller->prefsDlg()->windowTitle(), GetString("prefsTitle"));
    QStringList menus;
    for (QAction *action : controller->mainWindow()->menuBar()->actions())
        menus << action->text();
    EXPECT_EQ(menus, QStringList({GetString("Tavo"), GetString("Window")}));
    EXPECT_NE(GetString("prefsTitle"), QLatin1String("prefsTitle"));
}

TEST_F(AppControllerTest, AFormWithoutAnOutletIsNamedNotFollowed) {
    QMainWindow window;
    window.setObjectName("mMainWindow");
    new QWidget(&window); // no mDropView in it
    EXPECT_EQ(MissingOutlets(&window, {"mDropView", "mMainWindow"}),
              QLatin1String("The form mMainWindow has no mDropView."));
    (new QWidget(&window))->setObjectName("mDropView");
    EXPECT_TRUE(MissingOutlets(&window, {"mDropView", "mMainWindow"}).isNull());
}

TEST_F(AppControllerTest, DocumentsHandedOverAtLaunchWaitForThePreferencesWindow) {
    gSettings->setShowPrefs(1);
    auto controller = start();
    ASSERT_TRUE(WriteFile(path("first.qxd"), FromHex("00004D4D58505233204C204C5850")));
    ASSERT_TRUE(WriteFile(path("second.indd"), InDesignVersionBytes(8, 0, 0, 0, 0)));
    // A head cut short is no document, whatever its first bytes say.
    ASSERT_TRUE(WriteFile(path("short.indd"), InDesignVersionBytes(14, 0, 0, 0, 0).left(511)));
    QStringList alerted; // each with whether the preferences window showed
    onAlert = [&](const AlertRequest &alert) {
        const bool shown = controller->prefsDlg() && controller->prefsDlg()->isVisible();
        alerted << (shown ? "shown: " : "hidden: ") + alert.message;
    };
    EXPECT_TRUE(controller->applicationOpenFile(path("first.qxd")));
    EXPECT_TRUE(controller->applicationOpenFile(path("second.indd")));
    EXPECT_TRUE(alerted.isEmpty());
    controller->applicationDidFinishLaunching();
    // Later ones are opened at once.
    EXPECT_TRUE(controller->applicationOpenFile(path("short.indd")));
    const QString notFound = "shown: " + GetString("appNotFound");
    EXPECT_EQ(alerted, QStringList({Format(notFound, "QuarkXPress 2016"),
                                    Format(notFound, "Adobe InDesign CS6"),
                                    "shown: " + GetString("unknownDocType")}));
}

// Ctrl+, from the panel opens the preferences; Ctrl+Q from there quits and
// records the windows, once, however the process then ends.
TEST_F(AppControllerTest, TheMenuKeysWorkFromEveryWindowAndQuitRecordsTheWindowsOnce) {
    auto controller = start();
    controller->mainWindow()->show();
    QWidget *panel = controller->panel();
    panel->move(panel->pos() + QPoint(17, 23));
    const QRect frame = panel->geometry();
    QApplication::setActiveWindow(panel);
    QTest::keyClick(panel, Qt::Key_Comma, Qt::ControlModifier);
    ASSERT_NE(controller->prefsDlg(), nullptr);
    EXPECT_TRUE(controller->prefsDlg()->isVisible());
    controller->useDocPrefsBtn()->click();
    QApplication::setActiveWindow(controller->prefsDlg());
    QTest::keyClick(controller->prefsDlg(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(controller->showMenuItem()->text(), GetString("showPanel"));
    controller->finish(); // what the end of the event loop does
    const QVariantMap saved = savedSettings();
    EXPECT_EQ(saved.value("visible").toLongLong(), 1);
    EXPECT_EQ(saved.value("ShowPrefs").toLongLong(), 1);
    EXPECT_EQ(saved.value("UseDocPrefs").toLongLong(), 1);
    EXPECT_EQ(saved.value("Pos").toString(), RectToString(frame));

    // The next start puts the windows back as they were.
    controller.reset();
    delete gSettings;
    gSettings = new TavoSettings;
    auto next = start();
    EXPECT_EQ(next->panel()->geometry().topLeft(), frame.topLeft());
    next->applicationDidFinishLaunching();
    EXPECT_TRUE(next->prefsDlg()->isVisible());
    EXPECT_TRUE(next->useDocPrefsBtn()->isChecked());
}

TEST_F(AppControllerTest, TheMenuItemShowsAndHidesThePanelAndEveryHideRecordsIt) {
    gSettings->setVisible(0);
    auto controller = start();
    EXPECT_EQ(controller->panel(), nullptr); // built when first shown
    controller->showMenuItem()->trigger();
    EXPECT_TRUE(controller->panel()->isVisible());
    EXPECT_EQ(controller->showMenuItem()->text(), GetString("hidePanel"));
    controller->panel()->move(controller->panel()->pos() + QPoint(5, 5));
    controller->showMenuItem()->trigger();
    EXPECT_FALSE(controller->panel()->isVisible());
    EXPECT_EQ(controller->showMenuItem()->text(), GetString("showPanel"));
    EXPECT_EQ(gSettings->dict().value("Pos").toString(),
              RectToString(controller->panel()->geometry()));
    controller->applicationWillTerminate();
    EXPECT_EQ(savedSettings().value("visible").toLongLong(), 0);
    EXPECT_EQ(savedSettings().value("ShowPrefs").toLongLong(), 0);
}

TEST_F(AppControllerTest, TheAboutBoxNamesTheVersionAndTheCopyright) {
    auto controller = start();
    controller->doAbout();
    controller->doAbout(); // the detail is set anew each time
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts[1].message, Format(GetString("about"), "Tavo", "2.20"));
    EXPECT_EQ(alerts[1].detail, Format(GetString("copyright"), 2019));
}

} // namespace
