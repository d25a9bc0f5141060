#pragma once

#include <QString>
#include <QStringList>

class QMimeData;

// Free functions over paths, files and short texts. Paths are absolute POSIX
// paths; a null QString is an absent path and is kept apart from an empty one.
// None of them reports an error beyond its result.

bool FileExists(const QString &path);
// False for an absent or empty path; true only for an existing folder.
bool IsDirectory(const QString &path);
// The text after the last "." of the last component, compared ignoring case.
bool HasExtension(const QString &path, const QString &extension);
QString ReplaceExtension(const QString &path, const QString &extension);
// The last component of a path; a trailing "/" starts no empty one.
QString LastPathComponent(const QString &path);
// folder/name[.extension]; an absent or empty name gives the folder unchanged.
QString BuildPath(const QString &folder, const QString &name, const QString &extension = QString());
// A folder goes to the file manager, a file to the application for its type.
bool OpenItem(const QString &path);
// An absent application means the one the desktop chooses for the file's type.
bool OpenFileWithApp(const QString &path, const QString &appName, bool deactivate);
// The desktop application (desktop-entry id) that opens files of `extension`,
// then that of `fallbackExtension`, else `fallbackApp`.
QString AppNameForExtension(const QString &extension, const QString &fallbackExtension,
                            const QString &fallbackApp);
qint64 FileSize(const QString &path);
// The first local file of a drag's data; absent when it carries none.
QString PasteboardFileName(const QMimeData *data);
// Creates the folder and any missing folders above it unless something exists there.
bool CreateFolder(const QString &path);
// Removes the file or folder if there is one; true when nothing is left.
bool RemoveItem(const QString &path);
bool StringsEqual(const QString &a, const QString &b);
bool StringInArray(const QString &text, const QStringList &array);
// An empty or absent prefix never matches.
bool HasPrefix(const QString &text, const QString &prefix);
