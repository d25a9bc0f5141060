// SPDX-License-Identifier: MIT
#pragma once

#include "doc/ApplicationChooser.h"

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

    // Where browsing for a bundle starts; /opt unless set.
    void setApplicationsFolder(const QString &folder) { mApplicationsFolder = folder; }

    // Shows the stored location (checked at start, see ApplicationLocations.h),
    // "Not set" while there is none, and starts accepting dropped
    // applications. From then on the box follows its key in the settings.
    void awakeFromNib();

    QString path() const;
    void setPath(const QString &path);
    // Lets the user pick one of the desktop's applications, or a bundle or
    // desktop entry on disk; a refused entry is explained and not stored.
    void choose();

    // A drop is a name ending in "app" (a bundle) or a desktop entry, from a
    // file manager or a menu; a refused entry is explained and not stored.
    int draggingEntered(const QMimeData *drag) const;
    bool prepareForDragOperation(const QMimeData *drag) const;
    bool performDragOperation(const QMimeData *drag);

    // The chooser that choose() runs (RunApplicationChooser unless set).
    void setChooseFunction(ChooseFunction function) { mChoose = std::move(function); }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QPointer<QLineEdit> mPath;
    QString mApplicationsFolder;
    ChooseFunction mChoose;
};
