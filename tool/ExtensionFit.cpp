// SPDX-License-Identifier: MIT
#include "tool/ExtensionFit.h"

#include <QByteArrayView>
#include <QLatin1StringView>

#include <initializer_list>

// Runs for every recognised file, so nothing here allocates.

namespace {

QByteArrayView Extension(QByteArrayView name) {
    while (name.endsWith('/'))
        name.chop(1);
    const qsizetype start = name.lastIndexOf('/') + 1;
    const qsizetype dot = name.lastIndexOf('.');
    return dot > start ? name.sliced(dot + 1) : QByteArrayView();
}

bool OneOf(QByteArrayView extension, std::initializer_list<const char *> fitting) {
    for (const char *candidate : fitting) {
        if (qstrnicmp(extension.data(), extension.size(), candidate) == 0)
            return true;
    }
    return false;
}

} // namespace

bool ExtensionMisleads(const QByteArray &name, const DocInfo &info) {
    if (!info.recognised())
        return false;
    const QByteArrayView extension = Extension(name);
    if (extension.isEmpty())
        return false;
    if (info.creator == kInDesignCreator)
        return !OneOf(extension, {"indd", "indt"});
    if (info.ext.compare(QLatin1StringView(extension.data(), extension.size()),
                         Qt::CaseInsensitive) == 0)
        return false;
    if (info.type == QLatin1String("XDOC"))
        return !OneOf(extension, {"qxd", "qxp"});
    if (info.type == QLatin1String("XTMP"))
        return !OneOf(extension, {"qxt", "qpt"});
    return !OneOf(extension, {"qxd", "qxp", "qxt", "qpt", "qwd"});
}
