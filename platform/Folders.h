// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// The standard folders of the user, as the desktop names them; absent for a
// user without a home (HOME unset, empty or relative). They are read from the
// environment on every call, so tests move them by setting the XDG variables.
// Names are taken as bytes (FileName.h): a home whose name is not UTF-8 is the
// real one, not a look-alike with replacement characters. A relative value is
// invalid and ignored, as if the variable were unset, and so is a relative
// entry of a list.

// ~/Documents or the user's XDG documents folder; the log lives below it.
QString DocumentsFolder();
// ~/.config or XDG_CONFIG_HOME; the settings folder lives below it.
QString ApplicationSupportFolder();
// The user's configuration folder, then XDG_CONFIG_DIRS (/etc/xdg when it
// names none), most important first: where the defaults files are found.
QStringList ConfigurationFolders();
// Where prepress applications are installed for every user.
QString ApplicationsFolder();

// Takes relative values out of HOME and the XDG variables, and relative
// entries out of their lists, so that the libraries that read them (GIO, Qt)
// and the applications Tavo launches fall back as the user's folders do.
// Call at the start, before any thread runs.
void DropRelativeFolderVariables();
