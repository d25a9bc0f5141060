// SPDX-License-Identifier: MIT
// The baseline for Tavo's start-up: a Qt Widgets program that shows one empty
// main window, with the same start-up probe. Given "text", the window shows
// one line of text as well, which costs what any text costs: the font
// database and a font.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include <cstring>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    if (argc > 1 && std::strcmp(argv[1], "text") == 0)
        window.setCentralWidget(new QLabel(QStringLiteral("Drop a document here")));
    window.resize(420, 260);
    window.show();
    return app.exec();
}
