// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

// Reading the string table (StringTable.h) from its XML resource, in either
// of its two layouts: language sections ("strings") or one child per
// language in every entry ("strings2").

// Loads gStrings from the resource baseName.xml in the user's language and
// answers gStrings afterwards. A missing resource or an unknown layout leaves
// gStrings as it was, silently; a file that does not parse shows its error.
std::optional<QVariantMap> LoadStringTable(const QString &baseName);
// The same with a chosen language code; null means none (English is taken).
std::optional<QVariantMap> LoadStringTable(const QString &baseName, const QString &languageCode);
