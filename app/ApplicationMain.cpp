// SPDX-License-Identifier: MIT
#include "app/ApplicationMain.h"

#include "platform/AppIdentity.h"

#include "app/AppController.h"
#include "app/CommandLine.h"
#include "platform/FileName.h"
#include "platform/Folders.h"
#include "platform/QuitSignals.h"
#include "platform/SingleInstance.h"
#include "toolkit/Log.h"
#include "toolkit/Resources.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>

namespace {

AppController *gControllerAtExit = nullptr;

// Qt calls exit() itself when the connection to the X server breaks; the
// windows still stand then, so their state can still be recorded and saved.
void FinishAtExit() {
    if (gControllerAtExit)
        gControllerAtExit->finish();
}

} // namespace

int TavoApplicationMain(int argc, char **argv) {
    CommandLine line = ParseCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::Help:
        std::fputs(qPrintable(CommandLineUsage()), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::printf("%s %s\n", kProgramName, kAppVersion);
        return 0;
    case CommandLine::Action::UsageError:
        std::fprintf(stderr, "tavo: %s\n%s", qPrintable(line.error),
                     qPrintable(CommandLineUsage().section(QLatin1Char('\n'), 0, 0) + '\n'));
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    // Before Qt or GIO read them, and before any thread runs.
    DropRelativeFolderVariables();
    if (!HasDisplay(line)) {
        std::fprintf(stderr, "%s\n", qPrintable(NoDisplayMessage()));
        return 1;
    }
    // A logout may end Tavo while it is still starting; the quitting steps
    // wait for the event loop rather than the signal ending it unsaved.
    QuitSignals quitSignals;
    int qtArgc = int(line.qtArguments.size()) - 1;
    QApplication app(qtArgc, line.qtArguments.data());
    QApplication::setApplicationName(QString::fromLatin1(kAppName));
    QApplication::setApplicationVersion(QString::fromLatin1(kAppVersion));
    QApplication::setOrganizationName(QString::fromLatin1(kMakerFolder));
    QApplication::setDesktopFileName(QString::fromLatin1(kProgramName));
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList &documents = line.documents;
    for (const QString &refused : line.refused)
        std::fprintf(stderr, "tavo: %s\n", EncodeFileName(refused).constData());
    // Before anything else runs: a second Tavo must not start a new log.
    SingleInstance instance;
    const SingleInstance::Status status = instance.start(documents);
    if (status == SingleInstance::Status::HandedOver) {
        if (line.refused.isEmpty())
            return 0;
        // The running Tavo's log is kept whole; the refusals go after its lines.
        StartLog(2, -1, QString::fromLatin1(kMakerFolder));
        for (const QString &refused : line.refused)
            LogFormat(QStringLiteral("%@"), refused);
        return 1;
    }

    // Only the one instance starts the log afresh; any other Tavo may run
    // beside one whose lines must stay, and says why it runs at all.
    AppController::initialize(status == SingleInstance::Status::Listening ? 1 : 0);
    LogError(instance.reason(), QStringLiteral("Single instance"));
    for (const QString &refused : line.refused)
        LogFormat(QStringLiteral("%@"), refused);
    // X11 keeps a copy of the icon with every window, and 256 pixels a side
    // would cost a quarter megabyte each; title bars show 64 at most.
    const QImage icon(ResourcePath(QStringLiteral("Vell"), QStringLiteral("png")));
    QApplication::setWindowIcon(
        QPixmap::fromImage(icon.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation)));

    AppController controller(ApplicationsFolder());
    QString formError;
    if (!controller.loadInterface(&formError)) {
        std::fprintf(stderr, "tavo: %s\n", qPrintable(formError));
        return 1;
    }
    controller.mainWindow()->show();
    // Building the window and reading the tables leaves freed heap behind;
    // hand it back.
    malloc_trim(0);
    for (const QString &path : documents)
        controller.applicationOpenFile(path);

    QObject::connect(&instance, &SingleInstance::documentsReceived, &controller,
                     [&controller](const QStringList &handedOver) {
                         QMainWindow *window = controller.mainWindow();
                         window->show();
                         window->raise();
                         window->activateWindow();
                         for (const QString &path : handedOver)
                             controller.applicationOpenFile(path);
                     });
    // However the session ends Tavo, the quitting steps run, once: the Quit
    // item, a signal, the session manager's end of session, and Qt ending
    // the process when the X connection breaks.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &controller,
                     [&controller] { controller.finish(); });
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &controller,
                     [&controller] { controller.quit(); });
    quitSignals.listen();
    // The session manager asks for a save at every checkpoint, not only at
    // logout, and a logout may yet be cancelled; the session's real end comes
    // as a Quit event, which the controller watches for.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &controller,
                     [&controller] { controller.checkpoint(); });
    app.installEventFilter(&controller);
    gControllerAtExit = &controller;
    std::atexit(&FinishAtExit);
    QTimer::singleShot(0, &controller,
                       [&controller] { controller.applicationDidFinishLaunching(); });
    const int result = app.exec();
    gControllerAtExit = nullptr;
    return result;
}
