#pragma once

#include "doc/DocInfo.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

class QMimeData;

// The area of the main window that documents are dropped on. While a file
// hovers it shows what was recognised; a drop opens the document in the
// version of its application that made it. Documents handed over by the
// system are opened through the same view.
class DropView : public QWidget {
    Q_OBJECT
public:
    explicit DropView(QWidget *parent = nullptr);

    // Finds the two labels (tags 1 and 2) and starts accepting drags.
    void awakeFromNib();

    // Identifies the document, finds its application and opens it there.
    void openDoc(const QString &path);
    // The stored location of the document's application version, or absent
    // after telling the user why not. `creator` receives the creator code
    // when the document was recognised.
    QString appPathForDoc(const QString &path, quint32 *creator);
    // Launches the application bundle with the open-document event.
    void openDocWithApp(const QString &path, const QString &appPath);

    QString pathFromDrag(const QMimeData *drag) const;
    void setLabels(const DocInfo *info);
    // Shows three meta values of an HTML page's head in the application label.
    void doHTML(const QString &path);

    // The drag protocol, in the terms of the drag's data: 2 (link) or 0.
    int draggingEntered(const QMimeData *drag);
    void draggingExited();
    bool prepareForDragOperation(const QMimeData *drag);
    bool performDragOperation(const QMimeData *drag);

    QLabel *appNameLabel() const { return mAppName; }
    QLabel *platformLabel() const { return mPlatform; }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // The QuarkXPress document under the name "qxp", or under its old name
    // when it cannot be renamed without harm.
    QString renamedForQuark(const QString &path) const;

    QPointer<QLabel> mAppName;
    QPointer<QLabel> mPlatform;
};
