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

// Loads gStrings from the resource baseName.xml in the user's language and
// answers gStrings afterwards. A missing resource or an unknown layout leaves
// gStrings as it was, silently; a file that does not parse shows its error.
std::optional<QVariantMap> LoadStringTable(const QString &baseName);
// The same with a chosen language code; null means none (English is taken).
std::optional<QVariantMap> LoadStringTable(const QString &baseName, const QString &languageCode);

// The text stored for key, or key itself where there is none; empty entries
// stay empty, an absent key stays absent.
QString GetString(const QString &key);
