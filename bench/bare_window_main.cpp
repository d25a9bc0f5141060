// The baseline for Tavo's start-up: a Qt Widgets program that shows one empty
// main window, with the same start-up probe.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(420, 260);
    window.show();
    return app.exec();
}
