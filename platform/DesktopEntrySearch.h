// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The desktop's entries as the desktop finds them: in applications/ below
// each XDG data folder, subfolders included, XDG_DATA_HOME (default
// ~/.local/share) first, then XDG_DATA_DIRS (default
// /usr/local/share:/usr/share). An entry's desktop-file ID is its path below
// applications/ with "/" turned into "-"; the first entry of an ID is the
// only one, and a Hidden one means that there is none.

// For each of `names`, the path of the first entry whose untranslated Name
// it is and that can be given documents (DesktopEntryCommand.h); names
// without one are left out. Reads the files by hand, only as far as needed,
// so that hundreds of entries cost the start next to nothing.
QHash<QString, QString> FindDesktopEntriesByName(const QStringList &names);
