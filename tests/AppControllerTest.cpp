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

#include <cstdio>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// What the program writes to standard error while it lives.
class StderrCapture {
public:
    StderrCapture() : mFile(std::tmpfile()), mSaved(::dup(2)) {
        std::fflush(stderr);
        ::dup2(::fileno(mFile), 2);
    }
    ~StderrCapture() {
        restore();
        std::fclose(mFile);
    }
    QByteArray text() {
        restore();
        std::rewind(mFile);
        QByteArray all;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, mFile)) > 0)
            all.append(buffer, qsizetype(n));
        return all;
    }

private:
    void restore() {
        if (mSaved >= 0) {
            std::fflush(stderr);
            ::dup2(mSaved, 2);
            ::close(mSaved);
            mSaved = -1;
        }
    }
    std::FILE *mFile;
    int mSaved;
};

class AppControllerTest : public DesktopFixture {
protected:
    std::unique_ptr<AppController> start() {
        auto controller = std::make_unique<AppController>(applications());
        EXPECT_TRUE(controller->loadInterface());
        return controller;
    }
    QString field(AppController &controller, int tag) {
        auto *edit = qobject_cast<QLineEdit *>(ViewWithTag(controller.prefsDlg(), tag));
        return edit ? edit->text() : QStringLiteral("<no field>");
    }
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
    QDir().mkpath(applications() + "/QuarkXPress 2017.app");
    QDir().mkpath(applications() + "/QuarkXPress 2016/QuarkXPress 2016.app");
    QDir().mkpath(applications() + "/Adobe InDesign 2020/Adobe InDesign 2020.app");
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
    const QVariantMap settings = gSettings->dict();
    EXPECT_EQ(settings.value("QuarkXPress 2017").toString(),
              applications() + "/QuarkXPress 2017.app");
    EXPECT_EQ(settings.value("Adobe InDesign 2020").toString(),
              applications() + "/Adobe InDesign 2020/Adobe InDesign 2020.app");
    EXPECT_FALSE(settings.contains("QuarkXPress 2015"));
    EXPECT_FALSE(settings.contains("Adobe InDesign CC 2019"));
    EXPECT_EQ(settings.value("AddSuffix").toLongLong(), 0);

    // Built later, the window shows the same.
    controller->showPrefsDlg();
    EXPECT_TRUE(controller->prefsDlg()->isVisible());
    EXPECT_EQ(field(*controller, 115), QLatin1String(""));
    EXPECT_EQ(field(*controller, 116), applications() + "/QuarkXPress 2016/QuarkXPress 2016.app");
    EXPECT_EQ(field(*controller, 117), applications() + "/QuarkXPress 2017.app");
    EXPECT_EQ(box(*controller, "Adobe InDesign 2020"),
              applications() + "/Adobe InDesign 2020/Adobe InDesign 2020.app");
    EXPECT_EQ(box(*controller, "Adobe InDesign CC 2019"), QLatin1String(""));
    EXPECT_FALSE(controller->useDocPrefsBtn()->isChecked());
    EXPECT_FALSE(controller->addSuffixBtn()->isChecked());

    // The interface is in the user's language, boxes keep their keys.
    EXPECT_EQ(controller->prefsDlg()->windowTitle(), GetString("prefsTitle"));
    EXPECT_EQ(controller->useDocPrefsBtn()->text(), GetString("useDocPrefs"));
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
    auto *view = new QWidget(&window);
    view->setObjectName("mDropView");
    EXPECT_TRUE(MissingOutlets(&window, {"mDropView", "mMainWindow"}).isNull());
}

TEST_F(AppControllerTest, DocumentsHandedOverAtLaunchWaitForThePreferencesWindow) {
    gSettings->setShowPrefs(1);
    auto controller = start();
    ASSERT_TRUE(WriteFile(path("first.qxd"), FromHex("00004D4D58505233204C204C5850")));
    ASSERT_TRUE(WriteFile(path("second.indd"), InDesignVersionBytes(8, 0, 0, 0, 0)));
    ASSERT_TRUE(WriteFile(path("third.indd"), InDesignVersionBytes(9, 0, 0, 0, 0)));
    QList<bool> prefsShownAtAlert;
    onAlert = [&](const AlertRequest &) {
        prefsShownAtAlert << controller->prefsDlg()->isVisible();
    };

    EXPECT_TRUE(controller->applicationOpenFile(path("first.qxd")));
    EXPECT_TRUE(controller->applicationOpenFile(path("second.indd")));
    EXPECT_TRUE(alerts.isEmpty());
    controller->applicationDidFinishLaunching();
    EXPECT_FALSE(controller->paths().has_value());
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_TRUE(alerts[0].message.contains("QuarkXPress 2016"));
    EXPECT_TRUE(alerts[1].message.contains("Adobe InDesign CS6"));
    EXPECT_EQ(prefsShownAtAlert, QList<bool>({true, true}));

    // Later ones are opened at once.
    EXPECT_TRUE(controller->applicationOpenFile(path("third.indd")));
    ASSERT_EQ(alerts.size(), 3);
    EXPECT_TRUE(alerts[2].message.contains("Adobe InDesign CC"));
}

TEST_F(AppControllerTest, QuittingWithThePanelOpenRecordsItAndItsPlace) {
    auto controller = start();
    QWidget *panel = controller->panel();
    ASSERT_TRUE(panel->isVisible());
    panel->move(panel->pos() + QPoint(17, 23));
    const QRect frame = panel->geometry();
    controller->showPrefsDlg();
    controller->useDocPrefsBtn()->click();
    StderrCapture console;
    controller->applicationWillTerminate();
    const QByteArray lines = console.text();
    EXPECT_TRUE(lines.contains("windowWillClose\n"));
    EXPECT_TRUE(lines.contains("applicationWillTerminate: 1\n"));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(controller->showMenuItem()->text(), GetString("showPanel"));

    const QVariantMap saved = savedSettings();
    EXPECT_EQ(saved.value("visible").toLongLong(), 1);
    EXPECT_EQ(saved.value("ShowPrefs").toLongLong(), 1);
    EXPECT_EQ(saved.value("UseDocPrefs").toLongLong(), 1);
    EXPECT_EQ(saved.value("Pos").toString(), RectToString(frame));

    // The next start puts the panel where it was.
    controller.reset();
    delete gSettings;
    gSettings = new TavoSettings;
    auto next = start();
    EXPECT_TRUE(next->panel()->isVisible());
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
    StderrCapture console;
    controller->showMenuItem()->trigger();
    EXPECT_FALSE(controller->panel()->isVisible());
    EXPECT_EQ(controller->showMenuItem()->text(), GetString("showPanel"));
    EXPECT_EQ(gSettings->dict().value("Pos").toString(),
              RectToString(controller->panel()->geometry()));

    controller->applicationWillTerminate();
    EXPECT_TRUE(console.text().contains("applicationWillTerminate: 0\n"));
    EXPECT_EQ(savedSettings().value("visible").toLongLong(), 0);
    EXPECT_EQ(savedSettings().value("ShowPrefs").toLongLong(), 0);
    EXPECT_TRUE(savedSettings().contains("Pos"));
}

TEST_F(AppControllerTest, TheMenuKeysWorkFromEveryWindowAndQuitRecordsOnce) {
    auto controller = start();
    controller->mainWindow()->show();
    // Ctrl+, from the panel opens the preferences; Ctrl+Q from there quits.
    QApplication::setActiveWindow(controller->panel());
    QTest::keyClick(controller->panel(), Qt::Key_Comma, Qt::ControlModifier);
    ASSERT_NE(controller->prefsDlg(), nullptr);
    EXPECT_TRUE(controller->prefsDlg()->isVisible());
    QApplication::setActiveWindow(controller->prefsDlg());
    StderrCapture console;
    QTest::keyClick(controller->prefsDlg(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(settingsFile()));
    controller->finish(); // what the end of the event loop does; records nothing twice
    EXPECT_EQ(console.text().count("applicationWillTerminate: 1\n"), 1);
    EXPECT_EQ(savedSettings().value("visible").toLongLong(), 1);
    EXPECT_EQ(savedSettings().value("ShowPrefs").toLongLong(), 1);
}

TEST_F(AppControllerTest, TheAboutBoxNamesTheVersionAndTheCopyright) {
    auto controller = start();
    controller->doAbout();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].message, Format(GetString("about"), "Tavo", "2.20"));
    EXPECT_TRUE(alerts[0].message.contains("2.20"));
    EXPECT_EQ(alerts[0].detail, Format(GetString("copyright"), 2019));
    EXPECT_EQ(alerts[0].windowTitle, QLatin1String("Tavo"));
    controller->doAbout();
    EXPECT_EQ(alerts[1].detail, alerts[0].detail);
}

} // namespace
