// SPDX-License-Identifier: MIT
#pragma once

// Desktop entries as the locations of application versions, beside
// application bundles. A location that names an entry is stored as the
// entry's path. DesktopApplication and DesktopApplications(), the desktop's
// applications to choose from, come from platform/DesktopApps.h.

#include "platform/DesktopApps.h"

#include <QString>

// True for a location that names a desktop entry (a name ending in ".desktop").
bool IsDesktopEntryPath(const QString &path);

// Absent when documents can be opened with the entry at `entryPath`;
// otherwise why not, in words for the user.
QString DesktopEntryRefusal(const QString &entryPath);
