// SPDX-License-Identifier: MIT
// Starts a real drag of the file given as its argument when the mouse moves
// over it with the button down; used to take the README's screenshots.
#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

class DragSource : public QLabel {
public:
    explicit DragSource(const QString &file) : QLabel(file), mFile(file) {}

protected:
    void mouseMoveEvent(QMouseEvent *event) override {
        if (!(event->buttons() & Qt::LeftButton))
            return;
        auto *drag = new QDrag(this);
        auto *data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(mFile)});
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction | Qt::LinkAction);
    }

private:
    QString mFile;
};

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    DragSource source(QString::fromLocal8Bit(argv[1]));
    source.setWindowTitle(QStringLiteral("drag-source"));
    source.resize(200, 100);
    source.show();
    return app.exec();
}
