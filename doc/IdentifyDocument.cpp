// SPDX-License-Identifier: MIT
#include "doc/IdentifyDocument.h"

#include "doc/DocTypes.h"
#include "doc/InDesignVersions.h"
#include "platform/FileHead.h"
#include "platform/PropertyValues.h"
#include "toolkit/DictionaryReads.h"

#include <QVariantMap>

#include <algorithm>
#include <limits>

namespace {

void IdentifyInDesign(DocInfo &info) {
    const auto &h = info.header;
    info.appName = QStringLiteral("Adobe InDesign");
    info.creator = kInDesignCreator;
    info.ext = QStringLiteral("indd");
    // Little-endian documents carry the major version in byte 29, big-endian
    // ones in byte 32; the signed reading keeps 128..255 out of byte 29.
    const quint8 major = static_cast<qint8>(h[29]) > 4 ? h[29] : h[32];
    const qint8 d = static_cast<qint8>(major - 2);
    int version = 10 * d;
    if (d == 5) // InDesign 7 is CS5 or, with minor version 5, CS5.5
        version += static_cast<qint8>(h[33]);
    info.version = version;
    const InDesignVersion known = InDesignVersionFor(version);
    info.type = known.type;
    info.versionName = known.versionName;
}

void IdentifyQuark(DocInfo &info, const QVariant &docTypes) {
    info.header[0] = 0;
    if (docTypes.typeId() != QMetaType::QVariantMap)
        return;
    const QVariant quark = docTypes.toMap().value(QStringLiteral("Quark"));
    if (quark.typeId() != QMetaType::QVariantMap)
        return;
    const QVariantMap entries = quark.toMap();
    const auto it = entries.constFind(QuarkSignatureKey(info.header.data()));
    if (it == entries.constEnd())
        return;
    info.creator = kQuarkCreator;
    info.appName = QStringLiteral("QuarkXPress");
    const QVariant &entry = *it;
    info.versionName = StringForKey(entry, QStringLiteral("v"), QString());
    const qint64 v = LeadingInteger(info.versionName);
    info.version = static_cast<qint32>(std::clamp<qint64>(v, std::numeric_limits<qint32>::min(),
                                                          std::numeric_limits<qint32>::max()));
    info.ext = StringForKey(entry, QStringLiteral("ext"), QString());
    info.type = StringForKey(entry, QStringLiteral("type"), QString());
    info.os = StringForKey(entry, QStringLiteral("os"), QString());
}

} // namespace

void IdentifyHeader(DocInfo &info, const QVariant &docTypes) {
    const auto &h = info.header;
    if (h[0] == 0x06 && h[1] == 0x06 && h[2] == 0xED && h[3] == 0xF5)
        IdentifyInDesign(info);
    else
        IdentifyQuark(info, docTypes);
}

DocInfo IdentifyDocument(const QString &path) {
    const QVariant &docTypes = DocTypes();
    DocInfo info;
    if (!ReadFileHead(path, info.header.data(), info.header.size())) {
        info.header.fill(0);
        return info;
    }
    IdentifyHeader(info, docTypes);
    return info;
}
