// SPDX-License-Identifier: MIT
#include "app/AppController.h"

#include "app/Forms.h"
#include "doc/ApplicationLocations.h"
#include "doc/ChooseBox.h"
#include "doc/DropView.h"
#include "platform/AppIdentity.h"
#include "platform/Format.h"
#include "platform/ViewWithTag.h"
#include "strings/Alerts.h"
#include "strings/QtTranslations.h"
#include "strings/StringTable.h"
#include "strings/StringTableFile.h"
#include "strings/Translate.h"
#include "toolkit/Log.h"
#include "toolkit/Paths.h"
#include "toolkit/Resources.h"
#include "toolkit/TavoSettings.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>

#include <cstdio>

namespace {

// The console log of the platform is standard error.
void ConsoleLine(const QByteArray &line) {
    std::fputs(line.constData(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

struct DefaultLocation {
    int tag;
    const char *key;
    const char *appended;
};

// Where QuarkXPress 2015 to 2019 install themselves by default.
constexpr DefaultLocation kDefaultLocations[] = {
    {115, "QuarkXPress 2015", "/QuarkXPress.app"},
    {116, "QuarkXPress 2016", "/QuarkXPress 2016.app"},
    {117, "QuarkXPress 2017", ".app"},
    {118, "QuarkXPress 2018", ".app"},
    {119, "QuarkXPress 2019", ".app"},
};

QStringList RunOpenDialog(QWidget *parent, const QString &folder) {
    const QString documents =
        Format(QStringLiteral("%@ (*.qxd *.qxp *.qxt *.qpt *.qwd *.indd *.indt)"),
               GetString(QStringLiteral("layoutDocuments")));
    const QString all = Format(QStringLiteral("%@ (*)"), GetString(QStringLiteral("allFiles")));
    return QFileDialog::getOpenFileNames(parent, GetString(QStringLiteral("openTitle")), folder,
                                         documents + QStringLiteral(";;") + all);
}

// Says why a form cannot be used, on the console and in the log.
void ReportForm(const QString &problem) {
    ConsoleLine(problem.toUtf8());
    LogFormat(QStringLiteral("%@"), problem);
}

} // namespace

AppController::AppController(const QString &applicationsFolder, QObject *parent)
    : QObject(parent), mApplicationsFolder(applicationsFolder), mOpen(&RunOpenDialog) {}

AppController::~AppController() {
    delete mPanel;
    delete mPrefsDlg;
    delete mMainWindow;
}

void AppController::initialize(quint8 logMode) {
    static bool initialized = false;
    if (initialized)
        return;
    initialized = true;
    gBundle = Bundle::mainBundle();
    LoadStringTable(QStringLiteral("MyStrings"));
    LoadQtTranslations(PreferredLanguageCode());
    gSettings = new TavoSettings;
    StartLog(logMode, 12000, QString::fromLatin1(kMakerFolder));
}

bool AppController::loadInterface(QString *error) {
    mMainWindow = CreateMainWindowForm();
    const QString missing =
        MissingOutlets(mMainWindow, {QStringLiteral("mDropView"), QStringLiteral("showMenuItem")});
    if (!missing.isNull()) {
        if (error)
            *error = missing;
        return false;
    }
    mDropView = mMainWindow->findChild<DropView *>(QStringLiteral("mDropView"));
    mShowMenuItem = mMainWindow->findChild<QAction *>(QStringLiteral("showMenuItem"));
    mMainWindow->installEventFilter(this);

    // The menu's keys work from every window of Tavo, not only the main one.
    const auto connectAction = [this](const char *name, void (AppController::*slot)()) {
        if (auto *action = mMainWindow->findChild<QAction *>(QLatin1String(name))) {
            action->setShortcutContext(Qt::ApplicationShortcut);
            connect(action, &QAction::triggered, this, slot);
        }
    };
    connectAction("showMenuItem", &AppController::togglePanel);
    connectAction("aboutAction", &AppController::doAbout);
    connectAction("prefsAction", &AppController::showPrefsDlg);
    connectAction("quitAction", &AppController::quit);
    connectAction("openAction", &AppController::doOpen);
    if (auto *open = mMainWindow->findChild<QAction *>(QStringLiteral("openAction")))
        open->setShortcuts(QKeySequence::Open);

    mDropView->awakeFromNib();
    awakeFromNib();
    return true;
}

void AppController::awakeFromNib() {
    mPaths = QStringList();
    // What building the preferences window would do to the settings happens
    // now, before any document is opened; the window itself waits until the
    // user asks for it. The read of "AddSuffix" stores what it falls back to.
    const QStringList removed =
        CheckApplicationLocations(*gSettings, PreferencesBoxKeys(), mApplicationsFolder);
    gSettings->useDocPrefs();
    gSettings->addSuffix();
    for (const DefaultLocation &location : kDefaultLocations)
        fillDefaultLocation(QString::fromLatin1(location.key),
                            QString::fromLatin1(location.appended));
    FindDesktopEntryLocations(*gSettings, PreferencesBoxKeys(), removed);
    TranslateMainMenu(mMainWindow->menuBar());
    TranslateViews(mDropView);
    // The main window's title is ours to word too.
    TranslateTitle(mMainWindow);
    if (gSettings->visible() == 1)
        showPanel();
}

void AppController::fillDefaultLocation(const QString &key, const QString &appended) {
    if (!gSettings->value(key).toString().isEmpty())
        return;
    const QString candidate = BuildPath(mApplicationsFolder, key + appended);
    if (IsDirectory(candidate))
        gSettings->setValue(key, candidate);
}

QWidget *AppController::preferencesWindow() {
    if (mPrefsDlg)
        return mPrefsDlg;
    mPrefsDlg = CreatePreferencesForm();
    const QString missing = MissingOutlets(
        mPrefsDlg, {QStringLiteral("mUseDocPrefsBtn"), QStringLiteral("mAddSuffixBtn")});
    if (!missing.isNull())
        ReportForm(missing);
    mUseDocPrefsBtn = mPrefsDlg->findChild<QAbstractButton *>(QStringLiteral("mUseDocPrefsBtn"));
    mAddSuffixBtn = mPrefsDlg->findChild<QAbstractButton *>(QStringLiteral("mAddSuffixBtn"));
    if (mUseDocPrefsBtn) {
        mUseDocPrefsBtn->setChecked(gSettings->useDocPrefs() == 1);
        connect(mUseDocPrefsBtn, &QAbstractButton::clicked, this,
                [this] { doUseDocPrefsBtn(mUseDocPrefsBtn); });
    }
    if (mAddSuffixBtn) {
        mAddSuffixBtn->setChecked(gSettings->addSuffix() == 1);
        connect(mAddSuffixBtn, &QAbstractButton::clicked, this,
                [this] { doAddSuffixBtn(mAddSuffixBtn); });
    }
    for (ChooseBox *box : mPrefsDlg->findChildren<ChooseBox *>()) {
        box->setApplicationsFolder(mApplicationsFolder);
        box->awakeFromNib();
    }
    for (const DefaultLocation &location : kDefaultLocations) {
        if (auto *field = qobject_cast<QLineEdit *>(ViewWithTag(mPrefsDlg, location.tag)))
            field->setText(gSettings->dict().value(QString::fromLatin1(location.key)).toString());
    }
    TranslateWindow(mPrefsDlg);
    return mPrefsDlg;
}

QWidget *AppController::panelWindow() {
    if (mPanel)
        return mPanel;
    mPanel = CreatePanelForm();
    // The panel floats over the main window as a utility window.
    mPanel->setParent(mMainWindow, Qt::Tool);
    mPanel->installEventFilter(this);
    TranslateWindow(mPanel);
    return mPanel;
}

void AppController::applicationDidFinishLaunching() {
    if (gSettings->showPrefs() == 1)
        showPrefsDlg();
    if (!mPaths)
        return;
    const QStringList queued = *mPaths;
    mPaths.reset();
    for (const QString &path : queued)
        openNow(path);
}

bool AppController::applicationOpenFile(const QString &path) {
    if (mPaths)
        mPaths->append(path);
    else
        openNow(path);
    return true;
}

void AppController::openNow(const QString &path) {
    // A quit may begin while an alert of an earlier document is open; what
    // waits behind it would be launched after the settings were saved, by a
    // Tavo that is going away.
    if (mFinished) {
        LogFormat(QStringLiteral("%@: not opened, as Tavo was quitting"), path);
        return;
    }
    if (mDropView)
        mDropView->openDoc(path);
}

void AppController::applicationWillTerminate() {
    gSettings->setShowPrefs(mPrefsDlg && mPrefsDlg->isVisible() ? 1 : 0);
    const bool visible = mPanel && mPanel->isVisible();
    ConsoleLine(QByteArray("applicationWillTerminate: ") + (visible ? "1" : "0"));
    if (visible)
        mPanel->close();
    gSettings->setVisible(visible ? 1 : 0);
    gSettings->save();
}

void AppController::quit() {
    finish();
    // Qt closes every window as it quits; by now their state is recorded.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void AppController::finish() {
    if (mFinished)
        return;
    mFinished = true;
    applicationWillTerminate();
}

void AppController::checkpoint() {
    if (mFinished)
        return;
    gSettings->setShowPrefs(mPrefsDlg && mPrefsDlg->isVisible() ? 1 : 0);
    const bool visible = mPanel && mPanel->isVisible();
    if (visible)
        gSettings->savePos(mPanel);
    gSettings->setVisible(visible ? 1 : 0);
    gSettings->save();
}

void AppController::windowWillClose() {
    ConsoleLine("windowWillClose");
    if (mShowMenuItem)
        mShowMenuItem->setText(GetString(QStringLiteral("showPanel")));
    gSettings->savePos(mPanel);
}

void AppController::showPanel() {
    QWidget *panel = panelWindow();
    gSettings->restorePos(panel);
    panel->show();
    panel->raise();
    mShowMenuItem->setText(GetString(QStringLiteral("hidePanel")));
}

void AppController::hidePanel() {
    if (mPanel)
        mPanel->close();
    mShowMenuItem->setText(GetString(QStringLiteral("showPanel")));
}

void AppController::togglePanel() {
    if (mPanel && mPanel->isVisible())
        hidePanel();
    else
        showPanel();
}

void AppController::showPrefsDlg() {
    QWidget *prefs = preferencesWindow();
    prefs->show();
    prefs->raise();
    prefs->activateWindow();
}

void AppController::doUseDocPrefsBtn(QAbstractButton *sender) {
    gSettings->setUseDocPrefs(sender->isChecked() ? 1 : 0);
}

void AppController::doAddSuffixBtn(QAbstractButton *sender) {
    gSettings->setAddSuffix(sender->isChecked() ? 1 : 0);
}

void AppController::doAbout() {
    SetAlertDetailByKey("copyright", 2019);
    AlertMessage(GetString(QStringLiteral("about")), kAppName, kAppVersion);
}

void AppController::doOpen() {
    const QStringList documents = mOpen(mMainWindow, mOpenFolder);
    if (!documents.isEmpty())
        mOpenFolder = QFileInfo(documents.constFirst()).absolutePath();
    for (const QString &path : documents)
        mDropView->openDoc(path);
}

bool AppController::eventFilter(QObject *watched, QEvent *event) {
    // The session's end reaches the application as a Quit event, on which Qt
    // closes every window before it quits: the windows are recorded first.
    if (watched == qApp && event->type() == QEvent::Quit) {
        finish();
    } else if (event->type() == QEvent::Close) {
        if (watched == mPanel && mPanel->isVisible())
            windowWillClose();
        else if (watched == mMainWindow && !mFinished)
            // Closing the main window ends Tavo, as quitting from the menu does.
            quit();
    }
    return QObject::eventFilter(watched, event);
}
