// SPDX-License-Identifier: MIT
#pragma once

#include "doc/DropView.h"

#include <QAbstractButton>
#include <QAction>
#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <optional>

// Owns Tavo's windows and runs its life: start-up, documents handed over by
// the system, the panel and its menu item, the preferences window, the About
// box, and the record of the windows' state at quit. The preferences window
// and the panel are built when they are first shown.
class AppController : public QObject {
    Q_OBJECT
public:
    // `applicationsFolder` is where default application locations are looked for.
    explicit AppController(const QString &applicationsFolder, QObject *parent = nullptr);
    ~AppController() override;

    // The process-wide services, in order: resources, strings, settings, log
    // (started in `logMode`, see StartLog). Runs once; later calls do nothing.
    static void initialize(quint8 logMode = 1);

    // Builds the main window and runs awakeFromNib. False, with the reason in
    // `error`, when the form lacks an object the controller needs.
    bool loadInterface(QString *error = nullptr);

    void awakeFromNib();
    void applicationDidFinishLaunching();
    // A document handed over by the system; always true.
    bool applicationOpenFile(const QString &path);
    void applicationWillTerminate();
    // Quits Tavo: records the windows and saves the settings while the
    // windows are still as the user left them, then ends the event loop.
    void quit();
    // Records and saves once, however the process comes to its end. From
    // then on no document is opened.
    void finish();
    // A session manager's save ("checkpoint"): records the windows as they
    // are and saves the settings, and Tavo goes on running.
    void checkpoint();
    void windowWillClose();

    void showPanel();
    void hidePanel();
    void togglePanel(); // the menu item's action
    void showPrefsDlg();
    void doUseDocPrefsBtn(QAbstractButton *sender);
    void doAddSuffixBtn(QAbstractButton *sender);
    void doAbout();
    // File > Open: the documents chosen are opened one by one, as dropped
    // ones are.
    void doOpen();

    // The dialog of doOpen, replaceable so that tests never run a modal
    // dialog: the documents chosen over `parent`, starting in `folder`; none
    // when the user cancelled.
    using OpenFunction = std::function<QStringList(QWidget *parent, const QString &folder)>;
    void setOpenFunction(OpenFunction function) { mOpen = std::move(function); }

    QMainWindow *mainWindow() const { return mMainWindow; }
    DropView *dropView() const { return mDropView; }
    // Null until first shown.
    QWidget *prefsDlg() const { return mPrefsDlg; }
    QWidget *panel() const { return mPanel; }
    QAction *showMenuItem() const { return mShowMenuItem; }
    // Null until the preferences window is built.
    QAbstractButton *useDocPrefsBtn() const { return mUseDocPrefsBtn; }
    QAbstractButton *addSuffixBtn() const { return mAddSuffixBtn; }
    // Documents waiting for launching to finish; absent from then on.
    const std::optional<QStringList> &paths() const { return mPaths; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *preferencesWindow();
    QWidget *panelWindow();
    void fillDefaultLocation(const QString &key, const QString &appended);
    void openNow(const QString &path);

    QString mApplicationsFolder;
    QPointer<QMainWindow> mMainWindow;
    QPointer<DropView> mDropView;
    QPointer<QWidget> mPrefsDlg;
    QPointer<QWidget> mPanel;
    QPointer<QAction> mShowMenuItem;
    QPointer<QAbstractButton> mUseDocPrefsBtn;
    QPointer<QAbstractButton> mAddSuffixBtn;
    std::optional<QStringList> mPaths;
    bool mFinished = false;
    OpenFunction mOpen;
    // Where the last documents were opened from, for the next time.
    QString mOpenFolder;
};
