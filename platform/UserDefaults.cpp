// SPDX-License-Identifier: MIT
#include "platform/UserDefaults.h"

#include "platform/FileName.h"
#include "platform/Folders.h"
#include "platform/PropertyList.h"

#include <QVariantMap>

#include <sys/stat.h>

namespace {

// What identifies one version of a defaults file: a file rewritten, replaced
// or removed reads differently.
QString Version(const QString &file) {
    struct stat st {};
    if (::stat(EncodeFileName(file).constData(), &st) != 0)
        return file;
    return QStringLiteral("%1:%2:%3:%4.%5")
        .arg(file)
        .arg(st.st_ino)
        .arg(st.st_size)
        .arg(st.st_mtim.tv_sec)
        .arg(st.st_mtim.tv_nsec);
}

} // namespace

QVariant UserDefaultsValue(const QString &key) {
    // Read once, and again only when a file changes: a look-up happens for
    // every setting the settings file lacks, and defaults files can be big.
    static QStringList readVersions;
    static QVariantMap merged;
    // A folder without the file reads as nothing, and as a change once it has one.
    QStringList files;
    for (const QString &folder : ConfigurationFolders())
        files << folder + QStringLiteral("/Vellmoran/TavoDefaults.plist");
    QStringList versions;
    for (const QString &file : files)
        versions << Version(file);
    if (versions != readVersions) {
        merged.clear();
        // The user's file comes first and hides the system's keys it holds.
        for (auto file = files.crbegin(); file != files.crend(); ++file) {
            const QVariant root = ReadPropertyListFile(*file);
            if (root.typeId() != QMetaType::QVariantMap)
                continue;
            const QVariantMap values = root.toMap();
            for (auto it = values.constBegin(); it != values.constEnd(); ++it)
                merged.insert(it.key(), it.value());
        }
        readVersions = versions;
    }
    return merged.value(key);
}
