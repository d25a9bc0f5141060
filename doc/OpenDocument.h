// SPDX-License-Identifier: MIT
#pragma once

#include "doc/DocInfo.h"

#include <QString>

#include <functional>

class QWidget;

// The road of one document, from its path to the version of the layout
// application that made it: identify it, look up where that version is
// installed, give a QuarkXPress document the extension "qxp" when the user
// asked for it, and launch the application with the open-document event.
// Failures the user must know of are alerts; launch errors go to the log.

// The settings key of the application version that made the document:
// application name, one blank, version name ("QuarkXPress 2016"). Absent
// parts show as (null), as in the drop view's label.
QString SettingsKey(const DocInfo &info);

// Asks the user where the application version of a settings key is
// installed; absent when the user cancelled.
using LocationChooser = std::function<QString(const QString &key)>;

// Opens the document in its application; tells the user why not, in alerts
// over `window` (see ShowAlertIn).
void OpenDoc(const QString &path, QWidget *window = nullptr, const LocationChooser &choose = {});

// The stored location of the document's application version, or absent
// after telling the user why not. A version without a location is offered
// to `choose` when there is one; the choice is stored and answered. `creator`
// receives the creator code when the document was recognised.
QString AppPathForDoc(const QString &path, quint32 *creator, QWidget *window = nullptr,
                      const LocationChooser &choose = {});

// The path under which a QuarkXPress document opens when it is to carry the
// extension "qxp": renamed on disk where that is possible without harm, else
// its old path, with the reason in the log.
QString RenameToQxp(const QString &path);

// Launches the application bundle with the open-document event for `path`,
// or the desktop entry with the document; both get the event's environment
// (EventEnvironment in AppleEvent.h).
void OpenDocWithApp(const QString &path, const QString &appPath);
