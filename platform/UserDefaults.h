// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QVariant>

// The per-user defaults of Tavo: read-only values preset in
// Vellmoran/TavoDefaults.plist (a property list with a dictionary root) in the
// XDG configuration folders, so that an administrator can set application
// locations for everybody in /etc/xdg and a user can override single keys in
// ~/.config. Each key is looked up in the user's file first, then in the
// system's, so a user's file hides only the keys it holds.

// Invalid when no defaults file holds the key.
QVariant UserDefaultsValue(const QString &key);
