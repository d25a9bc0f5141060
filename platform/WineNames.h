// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A Windows program under Wine reaches a file only through a drive of its
// prefix: each link prefix/dosdevices/<letter>: leads to a folder (z: to /
// in a default prefix). A Unix path given as it is would be read as a path
// on the program's current drive, which is not the document.

// The Windows name of `path` in the Wine prefix: through the drive whose
// folder holds it most closely, as Wine itself picks it
// ("Z:\home\u\Plan.qxp"). Absent when no drive of the prefix leads to it.
QString WindowsName(const QString &winePrefix, const QString &path);
