// SPDX-License-Identifier: MIT
// Tavo's start-up taken apart, to show what each part of it costs. Linked
// with all of Tavo, it shows the window with one line of text of
// bare_window_main.cpp after doing Tavo's start-up up to a stage:
//   libraries   nothing of Tavo's: what loading its libraries costs
//   services    the string table, the settings and the log
//   main-window Tavo's main window instead of the text window (no panel)
// Tavo's own start (tavo_probe_main.cpp) adds the panel of a first start.
#include "app/AppController.h"
#include "platform/Folders.h"
#include "toolkit/TavoSettings.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include <cstring>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const char *stage = argc > 1 ? argv[1] : "libraries";
    if (std::strcmp(stage, "libraries") != 0)
        AppController::initialize();
    if (std::strcmp(stage, "main-window") == 0) {
        gSettings->setVisible(0);
        AppController controller(ApplicationsFolder());
        if (!controller.loadInterface())
            return 1;
        controller.mainWindow()->show();
        return app.exec();
    }
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Drop a document here")));
    window.resize(420, 260);
    window.show();
    return app.exec();
}
