// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The standard folders of the user, as the desktop names them; absent for a
// user without a home (HOME unset or empty). Qt reads the XDG variables on
// every call, so tests move them by setting those.

// ~/Documents or the user's XDG documents folder; the log lives below it.
QString DocumentsFolder();
// ~/.config or XDG_CONFIG_HOME; the settings folder lives below it.
QString ApplicationSupportFolder();
// Where prepress applications are installed for every user.
QString ApplicationsFolder();
