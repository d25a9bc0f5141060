#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The one place where Tavo starts another desktop program to open files. It is
// replaceable so that tests record what would be started instead of starting
// it; `deactivate` asks that Tavo step back for the program, which a Linux
// desktop decides by itself, so it is only passed along.
using DesktopLauncher =
    std::function<bool(const QString &entryPath, const QStringList &files, bool deactivate)>;

// Installs `launcher` and answers the one it replaces; an empty function puts
// back StartDesktopEntry.
DesktopLauncher SetDesktopLauncher(DesktopLauncher launcher);

// Hands the desktop entry at `entryPath` and the files to the installed launcher.
bool LaunchDesktopEntry(const QString &entryPath, const QStringList &files, bool deactivate);

// The real launcher: runs the entry's Exec line with the files filled in,
// detached from Tavo, in the entry's working folder. False when the entry
// cannot be started or the program does not start.
bool StartDesktopEntry(const QString &entryPath, const QStringList &files, bool deactivate);
