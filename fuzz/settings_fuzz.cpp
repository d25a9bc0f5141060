// SPDX-License-Identifier: MIT
// Arbitrary settings files: the store is made on the file, every setting is
// read (the window position through a real window), and the store saved. An
// unreadable file, and one whose values XML cannot hold as they were, must
// survive as a kept copy; a saved file must read back, with every value that
// Tavo did not set as it was (compared as XML, which tells apart what Qt
// takes for equal: -1 and 2^64 - 1, NaN and itself).

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
    bool exact = true;
    const QVariant old = ReadPropertyList(before, &exact);
    const bool unreadable = size > 0 && old.typeId() != QMetaType::QVariantMap;
    if (!settings.save())
        return 0;
    const QVariant root = ReadPropertyListFile(path);
    if (root.typeId() != QMetaType::QVariantMap)
        std::abort(); // saved, yet the next start could not read it
    const QVariantMap saved = root.toMap();
    if (unreadable || !exact) {
        QFile copy(path +
                   (unreadable ? QStringLiteral(".unreadable") : QStringLiteral(".original")));
        if (!copy.open(QIODevice::ReadOnly) || copy.readAll() != before)
            std::abort(); // the old file was overwritten without a copy
        return 0;
    }
    const QVariantMap values = old.toMap();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        if (it.key() == QStringLiteral("AddSuffix") || it.key() == QStringLiteral("Pos"))
            continue; // set by Tavo itself
        if (WritePropertyListXml(saved.value(it.key())) != WritePropertyListXml(it.value()))
            std::abort(); // a value of the file came back changed
    }
    return 0;
}
