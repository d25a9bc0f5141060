// SPDX-License-Identifier: MIT
#include "toolkit/DictionaryReads.h"

#include "platform/PropertyValues.h"

#include <QVariantMap>

QString StringForKey(const QVariant &object, const QString &key, const QString &defaultValue) {
    if (object.typeId() != QMetaType::QVariantMap)
        return defaultValue;
    const QVariantMap map = object.toMap();
    const auto it = map.constFind(key);
    if (it == map.constEnd())
        return defaultValue;
    const QString text = TextValue(*it);
    return text.isNull() ? defaultValue : text;
}

qint64 IntegerForKey(const QVariant &dictionary, const QString &key, qint64 defaultValue) {
    if (dictionary.typeId() != QMetaType::QVariantMap)
        return defaultValue;
    const QVariantMap map = dictionary.toMap();
    const auto it = map.constFind(key);
    if (it == map.constEnd())
        return defaultValue;
    return IntegerValue(*it);
}
