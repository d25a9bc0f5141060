// SPDX-License-Identifier: MIT
#include "doc/ApplicationLocations.h"

#include "platform/DesktopEntrySearch.h"
#include "toolkit/Log.h"
#include "toolkit/Paths.h"
#include "toolkit/TavoSettings.h"

#include <QCoreApplication>

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

bool CheckApplicationLocation(TavoSettings &settings, const QString &key,
                              const QString &applicationsFolder) {
    const QVariant stored = settings.value(key);
    const QString candidate =
        stored.isValid() ? stored.toString() : DefaultApplicationLocation(key, applicationsFolder);
    const bool exists = FileExists(candidate);
    settings.setValue(key, exists ? QVariant(candidate) : QVariant());
    // The user chose it: its going is said, or the box just comes up empty.
    if (stored.isValid() && !exists)
        LogFormat(QStringLiteral("Nothing is at %@, the location of %@ any more; it was removed "
                                 "from the settings"),
                  candidate, key);
    return stored.isValid() && !exists;
}

QStringList CheckApplicationLocations(TavoSettings &settings, const QStringList &keys,
                                      const QString &applicationsFolder) {
    QStringList removed;
    for (const QString &key : keys) {
        if (CheckApplicationLocation(settings, key, applicationsFolder))
            removed.append(key);
    }
    return removed;
}

void FindDesktopEntryLocations(TavoSettings &settings, const QStringList &keys,
                               const QStringList &removed) {
    QStringList missing;
    for (const QString &key : keys) {
        if (!removed.contains(key) && settings.value(key).toString().isEmpty())
            missing.append(key);
    }
    const QHash<QString, QString> found = FindDesktopEntriesByName(missing);
    for (const QString &key : missing) {
        const QString entry = found.value(key);
        if (entry.isNull())
            continue;
        settings.setValue(key, entry);
        LogFormat(QCoreApplication::translate("ApplicationLocations",
                                              "Found %@ in the desktop entry “%@”."),
                  key, entry);
    }
}
