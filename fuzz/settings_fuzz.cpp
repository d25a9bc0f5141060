// SPDX-License-Identifier: MIT
// Arbitrary settings files: the store is made on the file, every setting is
// read (the window position through a real window), and the store saved. An
// unreadable file must survive as a kept copy; a saved file must read back.

#include "FuzzSupport.h"

#include "platform/PropertyList.h"
#include "toolkit/TavoSettings.h"

#include <QWidget>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    StartFuzzProcess();
    static QWidget *const window = new QWidget;
    static const QString folder = [] {
        QDir(FuzzHome().path()).mkpath(QStringLiteral("settings"));
        return FuzzHome().filePath(QStringLiteral("settings"));
    }();
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString path = WriteFuzzFile(QStringLiteral("settings/Tavo.plist"), data, size);

    TavoSettings settings(path);
    settings.showPrefs();
    settings.useDocPrefs();
    settings.addSuffix();
    settings.visible();
    for (const QString &key : settings.dict().keys())
        settings.value(key);
    settings.restorePos(window);
    settings.savePos(window);

    const QByteArray before(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const bool unreadable = size > 0 && ReadPropertyList(before).typeId() != QMetaType::QVariantMap;
    if (!settings.save())
        return 0;
    if (ReadPropertyListFile(path).typeId() != QMetaType::QVariantMap)
        std::abort(); // saved, yet the next start could not read it
    if (unreadable) {
        QFile copy(path + QStringLiteral(".unreadable"));
        if (!copy.open(QIODevice::ReadOnly) || copy.readAll() != before)
            std::abort(); // the old file was overwritten without a copy
    }
    return 0;
}
