// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

class TavoSettings;

// Where an application version is installed, as the preferences window's
// location boxes keep it: under the version's settings key
// ("QuarkXPress 2016"), as the path of its application bundle.

// The default location of a version below `applicationsFolder`:
// QuarkXPress 2016 in "QuarkXPress 2016/QuarkXPress 2016.app", the other
// QuarkXPress versions in "<key>/QuarkXPress.app", InDesign versions in
// "<key>/<key>.app"; absent for any other key.
QString DefaultApplicationLocation(const QString &key, const QString &applicationsFolder);

// Keeps the stored location of `key` when it still exists on disk, stores the
// default one when nothing is stored and it exists, and removes the key
// otherwise, saying in the log when a stored location went. A location that
// went missing is not replaced by the default at the same check: the user sees
// it gone before anything else is guessed. Answers whether a stored location
// was removed.
bool CheckApplicationLocation(TavoSettings &settings, const QString &key,
                              const QString &applicationsFolder);
// Answers the keys whose stored location was removed.
QStringList CheckApplicationLocations(TavoSettings &settings, const QStringList &keys,
                                      const QString &applicationsFolder);

// Stores for each of `keys` that has no location, once the default bundles
// have been tried, the desktop entry whose untranslated Name is the key and
// that can be given documents (DesktopEntrySearch.h); the log names each
// one. The `removed` keys lost their location at this start and get nothing
// else until the next one.
void FindDesktopEntryLocations(TavoSettings &settings, const QStringList &keys,
                               const QStringList &removed);
