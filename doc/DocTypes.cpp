// SPDX-License-Identifier: MIT
#include "doc/DocTypes.h"

#include "platform/PropertyList.h"
#include "toolkit/Resources.h"

#include <QVariantMap>

const QVariant &DocTypes() {
    static QVariant table;
    static QString loadedFrom;
    const QString folder = gBundle ? gBundle->resourceFolder() : QString();
    if (!table.isValid() || folder != loadedFrom) {
        table =
            ReadPropertyListFile(ResourcePath(QStringLiteral("DocTypes"), QStringLiteral("plist")));
        loadedFrom = folder;
        const bool shaped =
            table.typeId() == QMetaType::QVariantMap &&
            table.toMap().value(QStringLiteral("Quark")).typeId() == QMetaType::QVariantMap;
        if (!shaped)
            table = QVariant();
    }
    return table;
}

QString DocTypesPath() {
    if (!gBundle)
        return QString();
    return gBundle->resourceFolder() + QStringLiteral("/DocTypes.plist");
}

QString QuarkSignatureKey(const unsigned char *head) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QString key(28, QLatin1Char('0'));
    for (int i = 1; i < 14; ++i) {
        key[2 * i] = QLatin1Char(kHex[head[i] >> 4]);
        key[2 * i + 1] = QLatin1Char(kHex[head[i] & 0xF]);
    }
    return key;
}
