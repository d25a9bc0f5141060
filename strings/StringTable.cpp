// SPDX-License-Identifier: MIT
#include "strings/StringTable.h"

#include "toolkit/DictionaryReads.h"

#include <QLocale>

std::optional<QVariantMap> gStrings;

QString PreferredLanguageCode(const QStringList &uiLanguages) {
    if (uiLanguages.isEmpty())
        return {};
    const QString first = uiLanguages.first();
    if (first.isEmpty() || first == QLatin1String("C") || first == QLatin1String("POSIX"))
        return {};
    return first.left(2);
}

QString PreferredLanguageCode() {
    return PreferredLanguageCode(QLocale::system().uiLanguages());
}

QString GetString(const QString &key) {
    if (key.isNull() || !gStrings)
        return key;
    const QString text = StringForKey(QVariant(*gStrings), key, QString());
    return text.isNull() ? key : text;
}
