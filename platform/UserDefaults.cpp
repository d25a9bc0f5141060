#include "platform/UserDefaults.h"

#include "platform/PropertyList.h"

#include <QStandardPaths>
#include <QVariantMap>

QVariant UserDefaultsValue(const QString &key) {
    const QStringList files = QStandardPaths::locateAll(
        QStandardPaths::GenericConfigLocation, QStringLiteral("Vellmoran/TavoDefaults.plist"));
    for (const QString &file : files) {
        const QVariant root = ReadPropertyListFile(file);
        if (root.typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap map = root.toMap();
        const auto it = map.constFind(key);
        if (it != map.constEnd())
            return *it;
    }
    return {};
}
