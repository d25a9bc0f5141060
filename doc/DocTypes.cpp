// SPDX-License-Identifier: MIT
#include "doc/DocTypes.h"

#include "platform/PropertyList.h"
#include "toolkit/Resources.h"

const QVariant &DocTypes() {
    static QVariant table;
    if (!table.isValid())
        table =
            ReadPropertyListFile(ResourcePath(QStringLiteral("DocTypes"), QStringLiteral("plist")));
    return table;
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
