// SPDX-License-Identifier: MIT
#pragma once

#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>

class QMimeData;

// A box of the preferences window that shows and sets where one application
// version is installed. Its title is the settings key of that version
// ("QuarkXPress 2016"), read anew by every operation.
class ChooseBox : public QGroupBox {
    Q_OBJECT
public:
    explicit ChooseBox(QWidget *parent = nullptr);

    // Where the open panel starts; /opt unless set.
    void setApplicationsFolder(const QString &folder) { mApplicationsFolder = folder; }

    // Shows the stored location (checked at start, see ApplicationLocations.h)
    // and starts accepting dropped applications.
    void awakeFromNib();

    QString path() const;
    void setPath(const QString &path);
    // Lets the user pick an application bundle.
    void choose();

    int draggingEntered(const QMimeData *drag) const;
    bool prepareForDragOperation(const QMimeData *drag) const;
    bool performDragOperation(const QMimeData *drag);

    // The open panel; replaceable so that tests never run a modal dialog.
    // Answers the chosen bundle, or an absent text when cancelled.
    using ChooseFunction = QString (*)(QWidget *parent, const QString &startFolder);
    void setChooseFunction(ChooseFunction function) { mChoose = function; }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QPointer<QLineEdit> mPath;
    QString mApplicationsFolder;
    ChooseFunction mChoose;
};
