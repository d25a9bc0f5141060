// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

class QMimeData;

// Paths and what is at them, and a few tests of short texts. Paths are
// absolute POSIX paths; a null QString is an absent path and is kept apart
// from an empty one. Names are bytes (see platform/FileName.h). Nothing here
// changes the file system or reports an error beyond its result.

bool FileExists(const QString &path);
// False for an absent or empty path; true only for an existing folder.
bool IsDirectory(const QString &path);
// The size in bytes of what is at the path; 0 when nothing is there.
qint64 FileSize(const QString &path);

// The text after the last "." of the last component, compared ignoring case.
bool HasExtension(const QString &path, const QString &extension);
// The text after the last "." of the last component; absent without one.
QString PathExtension(const QString &path);
QString ReplaceExtension(const QString &path, const QString &extension);
// The last component of a path; a trailing "/" starts no empty one.
QString LastPathComponent(const QString &path);
// folder/name[.extension]; an absent or empty name gives the folder unchanged,
// an absent folder an absent path.
QString BuildPath(const QString &folder, const QString &name, const QString &extension = QString());

// The first local file of a drag's data, by its exact bytes; absent when it
// carries none.
QString PasteboardFileName(const QMimeData *data);

bool StringsEqual(const QString &a, const QString &b);
bool StringInArray(const QString &text, const QStringList &array);
// An empty or absent prefix never matches.
bool HasPrefix(const QString &text, const QString &prefix);
