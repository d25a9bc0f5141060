// SPDX-License-Identifier: MIT
// Arbitrary property lists as the document-type table: read, then asked about
// a few real heads and about every head its own signature keys spell, so the
// entries behind those keys are read whatever they hold. The table is also
// written back as XML, as the settings store does with what it read.

#include "FuzzSupport.h"

#include "doc/IdentifyDocument.h"
#include "platform/PropertyList.h"

#include <QVariantMap>

#include <cstring>

namespace {

const char *const kHeads[] = {
    "\x00\x00MMXPR3\x00\x39\x00\x38\x00\x00",
    "\x00\x00IIXPR3\x3F\x00\x3F\x00\x00\x00",
    "\x00\x00MMXPR3\x20\x4B\x20\x4BXT",
    "\x06\x06\xED\xF5\xD8\x1D\x46\xE5\xBD\x31\xEF\xE7\xFE\x74",
};

void Identify(const QByteArray &head, const QVariant &table) {
    DocInfo info;
    std::memcpy(info.header.data(), head.constData(),
                std::min<size_t>(static_cast<size_t>(head.size()), kDocHeaderSize));
    IdentifyHeader(info, table);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    StartFuzzProcess();
    const QVariant table = ReadPropertyList(
        QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));

    for (const char *head : kHeads)
        Identify(QByteArray(head, 14), table);
    const QVariantMap quark = table.toMap().value(QStringLiteral("Quark")).toMap();
    for (auto it = quark.constBegin(); it != quark.constEnd(); ++it) {
        const QByteArray head = QByteArray::fromHex(it.key().toLatin1());
        if (head.size() == 14)
            Identify(head, table);
    }

    WritePropertyListXml(table);
    return 0;
}
