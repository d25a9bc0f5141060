// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Qt's own texts (the open panel's labels and buttons, the standard buttons)
// in the language the string table chose, from the distribution's Qt
// translations. One language at a time: a later call replaces the earlier
// one, and an absent or empty code leaves Qt's own English. False when Qt
// has no translation for the language.
bool LoadQtTranslations(const QString &languageCode);
