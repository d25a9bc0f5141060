#pragma once

#include <QString>
#include <QStringList>

// Which desktop application opens which kind of file, by the freedesktop
// rules: the [Default Applications] of the mimeapps.list files (desktop-
// specific ones first, the user's before the system's), then their [Added
// Associations] less the [Removed Associations], then the applications that
// declare the type (mimeinfo.cache, or the entries themselves where a folder
// has no cache). A type without an application falls back to its parent types
// (text/x-csrc to text/plain), never to application/octet-stream, which every
// file is. Applications that need a terminal are never chosen: Tavo starts
// programs without one. Applications are named by their desktop-entry id,
// such as "org.gnome.TextEditor.desktop".

// Full path of the desktop entry of `desktopId` in the applications folders
// (the first one that holds it wins); an absolute path to an entry is taken
// as it is, and ".desktop" may be left off. Absent when not installed.
QString FindDesktopEntry(const QString &desktopId);

// Absent when no installed application opens the type or its parents.
QString DefaultAppForMimeType(const QString &mimeType);

// The application for the types of files named "*.extension"; absent for an
// absent or empty extension and for extensions no type claims.
QString DefaultAppForExtension(const QString &extension);

// The application that shows folders; some well-known file manager when the
// desktop names none.
QString FileManagerApp();

// A well-known plain-text editor, the installed one if any.
QString PlainTextEditorApp();
