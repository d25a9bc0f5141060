// SPDX-License-Identifier: MIT
// Arbitrary XML as the string table MyStrings.xml, loaded for a few users'
// languages (the layout, "strings" or "strings2", is the root's name and so
// the input's choice), and every loaded entry looked up.

#include "FuzzSupport.h"

#include "strings/StringTable.h"
#include "strings/StringTableFile.h"

#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    StartFuzzProcess();
    static const QString folder = [] {
        QDir(FuzzHome().path()).mkpath(QStringLiteral("strings"));
        return FuzzHome().filePath(QStringLiteral("strings"));
    }();
    WriteFuzzFile(QStringLiteral("strings/MyStrings.xml"), data, size);
    gBundle = Bundle(folder);

    for (const QString &language : {QStringLiteral("de"), QString(), QStringLiteral("*")}) {
        gStrings.reset();
        LoadStringTable(QStringLiteral("MyStrings"), language);
        if (gStrings) {
            for (const QString &key : gStrings->keys())
                GetString(key);
        }
    }
    gStrings.reset();
    gBundle = Bundle(QStringLiteral(TAVO_RESOURCES));
    return 0;
}
