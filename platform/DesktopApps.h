// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The desktop's applications, as GIO knows them: the defaults of the
// mimeapps.list files, the applications' desktop entries, and whether their
// programs are installed (TryExec). Applications are named by their
// desktop-entry id, such as "org.gnome.TextEditor.desktop".

// The default application for files named "*.extension"; absent for an
// absent or empty extension and for extensions no known type claims.
QString DefaultAppForExtension(const QString &extension);

// The application that shows folders; absent when the desktop has none.
QString FileManagerApp();

// An installed plain-text editor of a well-known desktop, or the name of
// GNOME's when none is installed.
QString PlainTextEditorApp();

// The one place where Tavo starts another desktop application to open files.
// It is replaceable so that tests record what would be started instead of
// starting it; `deactivate` asks that Tavo step back for the application,
// which a Linux desktop decides by itself, so it is only passed along.
using DesktopLauncher =
    std::function<bool(const QString &desktopId, const QStringList &files, bool deactivate)>;

// Installs `launcher` and answers the one it replaces; an empty function puts
// back the real one.
DesktopLauncher SetDesktopLauncher(DesktopLauncher launcher);

// Opens the files with the application through the installed launcher. The
// real one answers false when the application is not installed or its
// program does not start.
bool LaunchDesktopApp(const QString &desktopId, const QStringList &files, bool deactivate);

// An application of the desktop, by the path of its desktop entry.
struct DesktopApplication {
    QString name;
    QString entryPath;
    QString iconName;
};

// The desktop's applications (GIO's list, the ones it shows in menus), each
// by its entry's path. GIO reads the XDG data folders once per process.
QList<DesktopApplication> DesktopApplications();
