// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

#include <optional>

// The keys of a desktop entry's [Desktop Entry] group that Tavo acts on,
// read by hand. GIO reads entries fully, but loading it costs every start a
// megabyte (DesktopApps.cpp); the search at start needs only these few keys
// and must stay cheap with hundreds of entries installed.
struct DesktopEntryKeys {
    // The file could be read and its first group is [Desktop Entry].
    bool valid = false;
    QString type;
    // The untranslated Name, which is what settings keys are compared with.
    QString name;
    QString exec;
    QString tryExec;
    bool hidden = false;
};

// Reads the entry `fileName` in the open folder `folderFd` (AT_FDCWD for a
// path). With `wantedNames` (untranslated Names as UTF-8) the file is read
// no further than needed to tell that its Name is none of them, and such an
// entry answers nothing; a file that cannot be read answers keys that are
// not valid.
std::optional<DesktopEntryKeys> ReadDesktopEntry(int folderFd, const QByteArray &fileName,
                                                 const QSet<QByteArray> *wantedNames = nullptr);

// The whole entry at `path`.
DesktopEntryKeys ReadDesktopEntryFile(const QString &path);
