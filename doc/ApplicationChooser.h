// SPDX-License-Identifier: MIT
#pragma once

#include "doc/DesktopEntries.h"

#include <QDialog>

#include <functional>

class QListWidget;

// The desktop's applications as the chooser of a version (its settings key)
// offers them: those whose name begins with the key's application name
// ("QuarkXPress", "Adobe InDesign") first, each group by name.
QList<DesktopApplication> ApplicationsToOffer(const QString &key);

// False, after telling the user why over `parent`, when `path` is a desktop
// entry that cannot be given a document; true for any other location. The
// alert names the entry `name`, or its file when none is given.
bool UsableLocation(const QString &path, QWidget *parent, const QString &name = QString());

// Lets the user choose where one application version is installed: one of
// the desktop's applications, or a bundle or desktop entry on disk. A refused
// entry is explained and leaves the dialog open for another choice.
class ApplicationChooser : public QDialog {
    Q_OBJECT
public:
    // `startFolder` is where browsing starts when the version has no
    // location yet.
    ApplicationChooser(const QString &key, const QString &startFolder, QWidget *parent = nullptr);

    // The location chosen; absent until the dialog is accepted.
    QString chosen() const { return mChosen; }
    QListWidget *list() const { return mList; }

    // Takes `path` (the application `name`) as the choice and closes, unless
    // it is refused.
    void choosePath(const QString &path, const QString &name = QString());
    // Takes the selected application.
    void accept() override;

private:
    void browse();

    QString mKey;
    QString mStartFolder;
    QListWidget *mList; // a child
    QString mChosen;
};

// A chooser that runs to its end: the location chosen for the version `key`,
// or absent when the user cancelled. Replaceable wherever it is used, so that
// tests never run a modal dialog.
using ChooseFunction =
    std::function<QString(QWidget *parent, const QString &key, const QString &startFolder)>;

// The real one: ApplicationChooser, run modally over `parent`.
QString RunApplicationChooser(QWidget *parent, const QString &key, const QString &startFolder);
