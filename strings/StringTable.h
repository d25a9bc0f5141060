// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

// The table of every text Tavo shows, in the user's language: key to text.
// Absent until a table has been loaded; a load replaces it whole.
extern std::optional<QVariantMap> gStrings;

// The first preferred language cut to two characters ("de-AT" gives "de");
// null when there is none. "C" and "POSIX" name no language.
QString PreferredLanguageCode(const QStringList &uiLanguages);
// The same for the user's own languages, QLocale::system().uiLanguages().
QString PreferredLanguageCode();

// The text stored for key, or key itself where there is none; empty entries
// stay empty, an absent key stays absent.
QString GetString(const QString &key);
