#include "app/ApplicationMain.h"

#include "platform/AppIdentity.h"

#include "app/AppController.h"
#include "platform/Folders.h"
#include "platform/SingleInstance.h"
#include "toolkit/Log.h"
#include "toolkit/Resources.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <malloc.h>

namespace {

// The running instance has a working folder of its own.
QStringList AbsolutePaths(const QStringList &arguments) {
    QStringList paths;
    for (const QString &argument : arguments)
        paths << QFileInfo(argument).absoluteFilePath();
    return paths;
}

} // namespace

int TavoApplicationMain(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kAppName));
    QApplication::setApplicationVersion(QString::fromLatin1(kAppVersion));
    QApplication::setOrganizationName(QString::fromLatin1(kMakerFolder));
    QApplication::setDesktopFileName(QString::fromLatin1(kProgramName));
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList documents = AbsolutePaths(app.arguments().mid(1));
    // Before anything else runs: a second Tavo must not start a new log.
    SingleInstance instance;
    const SingleInstance::Status status = instance.start(documents);
    if (status == SingleInstance::Status::HandedOver)
        return 0;

    // Only the one instance starts the log afresh; any other Tavo may run
    // beside one whose lines must stay, and says why it runs at all.
    AppController::initialize(status == SingleInstance::Status::Listening ? 1 : 0);
    LogError(instance.reason(), QStringLiteral("Single instance"));
    // X11 keeps a copy of the icon with every window, and 256 pixels a side
    // would cost a quarter megabyte each; title bars show 64 at most.
    const QImage icon(ResourcePath(QStringLiteral("Vell"), QStringLiteral("png")));
    QApplication::setWindowIcon(
        QPixmap::fromImage(icon.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation)));

    AppController controller(ApplicationsFolder());
    if (!controller.loadInterface()) {
        std::fputs("tavo: the interface files in the resources folder are missing or broken\n",
                   stderr);
        return 1;
    }
    controller.mainWindow()->show();
    // Loading the interface files leaves much freed heap behind; hand it back.
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
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &controller,
                     [&controller] { controller.finish(); });
    QTimer::singleShot(0, &controller,
                       [&controller] { controller.applicationDidFinishLaunching(); });
    return app.exec();
}
