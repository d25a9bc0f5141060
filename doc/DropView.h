// SPDX-License-Identifier: MIT
#pragma once

#include "doc/ApplicationChooser.h"
#include "doc/DocInfo.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

class QMimeData;

// The area of the main window that documents are dropped on. While a file
// hovers it shows what was recognised and welcomes only a recognised
// document; a drop hands the document to the opening road (OpenDocument.h).
class DropView : public QWidget {
    Q_OBJECT
public:
    explicit DropView(QWidget *parent = nullptr);

    // Finds the two labels (tags 1 and 2) and starts accepting drags.
    void awakeFromNib();

    // The opening road, reached through the view as the menu and the
    // system reach it; see OpenDocument.h. A version without a location is
    // offered to the chooser, over this view's window.
    void openDoc(const QString &path);
    QString appPathForDoc(const QString &path, quint32 *creator);
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

    // The chooser of a missing location (RunApplicationChooser unless set).
    void setChooseFunction(ChooseFunction function) { mChoose = std::move(function); }

    QLabel *appNameLabel() const { return mAppName; }
    QLabel *platformLabel() const { return mPlatform; }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QString chooseLocation(const QString &key);

    QPointer<QLabel> mAppName;
    QPointer<QLabel> mPlatform;
    // The answer given when the hovering drag entered, kept for as long as
    // it stays over the view.
    int mHoverOperation = 0;
    ChooseFunction mChoose = &RunApplicationChooser;
};
