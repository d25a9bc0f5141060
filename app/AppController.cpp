#include "app/AppController.h"

#include "platform/AppIdentity.h"

#include "app/UiLoader.h"
#include "doc/ChooseBox.h"
#include "doc/DropView.h"
#include "platform/ViewWithTag.h"
#include "strings/Alerts.h"
#include "strings/StringTable.h"
#include "strings/Translate.h"
#include "toolkit/FileUtils.h"
#include "toolkit/Log.h"
#include "toolkit/Resources.h"
#include "toolkit/TavoSettings.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
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

} // namespace

AppController::AppController(const QString &applicationsFolder, QObject *parent)
    : QObject(parent), mApplicationsFolder(applicationsFolder) {}

AppController::~AppController() {
    delete mPanel;
    delete mPrefsDlg;
    delete mMainWindow;
}

void AppController::initialize(quint8 logMode) {
    if (gBundle)
        return;
    gBundle = Bundle::mainBundle();
    LoadStringTable(QStringLiteral("MyStrings"));
    gSettings = new TavoSettings;
    StartLog(logMode, 12000, QString::fromLatin1(kMakerFolder));
}

bool AppController::loadInterface() {
    const std::unique_ptr<UiLoader> loader = UiLoader::create(mApplicationsFolder);
    mMainWindow = qobject_cast<QMainWindow *>(loader->loadResource(QStringLiteral("MainWindow")));
    mPrefsDlg = loader->loadResource(QStringLiteral("Preferences"));
    mPanel = loader->loadResource(QStringLiteral("Panel"));
    if (!mMainWindow || !mPrefsDlg || !mPanel)
        return false;

    mDropView = mMainWindow->findChild<DropView *>(QStringLiteral("mDropView"));
    mShowMenuItem = mMainWindow->findChild<QAction *>(QStringLiteral("showMenuItem"));
    mUseDocPrefsBtn = mPrefsDlg->findChild<QAbstractButton *>(QStringLiteral("mUseDocPrefsBtn"));
    mAddSuffixBtn = mPrefsDlg->findChild<QAbstractButton *>(QStringLiteral("mAddSuffixBtn"));
    if (!mDropView || !mShowMenuItem || !mUseDocPrefsBtn || !mAddSuffixBtn)
        return false;

    // The panel floats over the main window as a utility window.
    mPanel->setParent(mMainWindow, Qt::Tool);
    mPanel->installEventFilter(this);
    mMainWindow->installEventFilter(this);

    connect(mShowMenuItem, &QAction::triggered, this, &AppController::togglePanel);
    if (auto *about = mMainWindow->findChild<QAction *>(QStringLiteral("aboutAction")))
        connect(about, &QAction::triggered, this, &AppController::doAbout);
    if (auto *prefs = mMainWindow->findChild<QAction *>(QStringLiteral("prefsAction")))
        connect(prefs, &QAction::triggered, this, &AppController::showPrefsDlg);
    if (auto *quit = mMainWindow->findChild<QAction *>(QStringLiteral("quitAction")))
        connect(quit, &QAction::triggered, this, &AppController::quit);
    connect(mUseDocPrefsBtn, &QAbstractButton::clicked, this,
            [this] { doUseDocPrefsBtn(mUseDocPrefsBtn); });
    connect(mAddSuffixBtn, &QAbstractButton::clicked, this,
            [this] { doAddSuffixBtn(mAddSuffixBtn); });

    // The location boxes check their own settings as the file loads, before
    // the controller fills in the defaults it knows.
    for (ChooseBox *box : mPrefsDlg->findChildren<ChooseBox *>())
        box->awakeFromNib();
    mDropView->awakeFromNib();
    awakeFromNib();
    return true;
}

void AppController::awakeFromNib() {
    mPaths = QStringList();
    mUseDocPrefsBtn->setChecked(gSettings->useDocPrefs() == 1);
    mAddSuffixBtn->setChecked(gSettings->addSuffix() == 1);
    for (const DefaultLocation &location : kDefaultLocations)
        fillDefaultLocation(location.tag, QString::fromLatin1(location.key),
                            QString::fromLatin1(location.appended));
    TranslateMainMenu(mMainWindow->menuBar());
    TranslateViews(mDropView);
    TranslateWindow(mPrefsDlg);
    // The panel and the main window's title are ours to word too.
    TranslateWindow(mPanel);
    TranslateTitle(mMainWindow);
    if (gSettings->visible() == 1)
        showPanel();
}

void AppController::fillDefaultLocation(int tag, const QString &key, const QString &appended) {
    auto *field = qobject_cast<QLineEdit *>(ViewWithTag(mPrefsDlg, tag));
    QString value = gSettings->value(key).toString();
    if (value.isEmpty()) {
        const QString candidate = BuildPath(mApplicationsFolder, key + appended);
        if (IsDirectory(candidate)) {
            gSettings->setValue(key, candidate);
            value = candidate;
        } else {
            value = QStringLiteral("");
        }
    }
    if (field)
        field->setText(value);
}

void AppController::applicationDidFinishLaunching() {
    if (gSettings->showPrefs() == 1)
        showPrefsDlg();
    if (!mPaths)
        return;
    const QStringList queued = *mPaths;
    mPaths.reset();
    for (const QString &path : queued)
        mDropView->openDoc(path);
}

bool AppController::applicationOpenFile(const QString &path) {
    if (mPaths)
        mPaths->append(path);
    else if (mDropView)
        mDropView->openDoc(path);
    return true;
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

void AppController::windowWillClose() {
    ConsoleLine("windowWillClose");
    if (mShowMenuItem)
        mShowMenuItem->setText(GetString(QStringLiteral("showPanel")));
    gSettings->savePos(mPanel);
}

void AppController::showPanel() {
    gSettings->restorePos(mPanel);
    mPanel->show();
    mPanel->raise();
    mShowMenuItem->setText(GetString(QStringLiteral("hidePanel")));
}

void AppController::hidePanel() {
    mPanel->close();
    mShowMenuItem->setText(GetString(QStringLiteral("showPanel")));
}

void AppController::togglePanel() {
    if (mPanel->isVisible())
        hidePanel();
    else
        showPanel();
}

void AppController::showPrefsDlg() {
    mPrefsDlg->show();
    mPrefsDlg->raise();
    mPrefsDlg->activateWindow();
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

bool AppController::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Close) {
        if (watched == mPanel && mPanel->isVisible())
            windowWillClose();
        else if (watched == mMainWindow && !mFinished)
            // Closing the main window ends Tavo, as quitting from the menu does.
            quit();
    }
    return QObject::eventFilter(watched, event);
}
