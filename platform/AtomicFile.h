// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

// Writes that leave either the whole new file or the old one untouched,
// whatever happens meanwhile (a full disk, a crash, a kill): the bytes go to
// a new file beside the target, reach the disk, and only then take the
// target's name. On a failure nothing is left behind and `error` (when not
// null) tells why. Names are encoded with EncodeFileName. Nothing is written
// into a folder, nor through a link, of another user (see Ownership.h).

// Replaces the file at `path`, or creates it in an existing folder. A
// symbolic link at `path` is followed and the file it leads to is replaced in
// its own folder, the link kept. Only a regular file is ever replaced:
// anything else at the end (a device, a FIFO, a folder) is left alone and the
// write fails, and only one that may be written: a read-only file (one that
// nobody may write, even when root could) stays as it is. The old file's
// permission bits are kept; a new file gets 0644 less the umask.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error);

// Creates the file at `path`, readable by its owner only, while nothing at
// all bears that name, not even a dangling link; never replaces anything.
bool CreateFileAtomically(const QString &path, const QByteArray &bytes, QString *error);
