// SPDX-License-Identifier: MIT
#pragma once

#include "toolkit/Paths.h"

#include <QString>

// What Tavo does to files and folders beyond reading them: creating and
// removing them (failures go to the log), and handing them to the desktop's
// applications. None of them reports an error beyond its result.

// Creates the folder and any missing folders above it unless something exists there.
bool CreateFolder(const QString &path);
// Removes the file or folder if there is one; true when nothing is left.
bool RemoveItem(const QString &path);

// A folder goes to the file manager, a file to the application for its type.
bool OpenItem(const QString &path);
// An absent application means the one the desktop chooses for the file's type.
bool OpenFileWithApp(const QString &path, const QString &appName, bool deactivate);
// The desktop application (desktop-entry id) that opens files of `extension`,
// then that of `fallbackExtension`, else `fallbackApp`.
QString AppNameForExtension(const QString &extension, const QString &fallbackExtension,
                            const QString &fallbackApp);
