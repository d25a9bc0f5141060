// SPDX-License-Identifier: MIT
#include "doc/ApplicationLocations.h"

#include "toolkit/Log.h"
#include "toolkit/Paths.h"
#include "toolkit/TavoSettings.h"

QString DefaultApplicationLocation(const QString &key, const QString &applicationsFolder) {
    if (HasPrefix(key, QStringLiteral("QuarkXPress"))) {
        const QString name = StringsEqual(key, QStringLiteral("QuarkXPress 2016"))
                                 ? QStringLiteral("QuarkXPress 2016")
                                 : QStringLiteral("QuarkXPress");
        return BuildPath(BuildPath(applicationsFolder, key), name, QStringLiteral("app"));
    }
    if (HasPrefix(key, QStringLiteral("Adobe InDesign")))
        return BuildPath(BuildPath(applicationsFolder, key), key, QStringLiteral("app"));
    return QString();
}

void CheckApplicationLocation(TavoSettings &settings, const QString &key,
                              const QString &applicationsFolder) {
    const QVariant stored = settings.value(key);
    const QString candidate =
        stored.isValid() ? stored.toString() : DefaultApplicationLocation(key, applicationsFolder);
    if (FileExists(candidate)) {
        settings.setValue(key, candidate);
        return;
    }
    settings.setValue(key, QVariant());
    // The user chose it: its going is said, or the box just comes up empty.
    if (stored.isValid())
        LogFormat(QStringLiteral("Nothing is at %@, the location of %@ any more; it was removed "
                                 "from the settings"),
                  candidate, key);
}

void CheckApplicationLocations(TavoSettings &settings, const QStringList &keys,
                               const QString &applicationsFolder) {
    for (const QString &key : keys)
        CheckApplicationLocation(settings, key, applicationsFolder);
}
