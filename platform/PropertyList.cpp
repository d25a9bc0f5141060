// SPDX-License-Identifier: MIT
#include "platform/PropertyList.h"

#include "platform/AtomicFile.h"
#include "platform/BinaryPropertyList.h"
#include "platform/RegularFile.h"
#include "platform/XmlPropertyList.h"

#include <limits>

namespace {

// Hostile files can nest arrays far deeper, and expand to far more values,
// than any real settings file or table; such files are refused rather than
// risking the stack and the memory. Nothing beyond them is written either,
// as it could not be read back.
constexpr int kMaxDepth = 512;
constexpr qint64 kMaxValues = 1000000;

} // namespace

QVariant ReadPropertyList(const QByteArray &bytes, bool *exact) {
    // libxml2 takes a 32-bit length; nothing that large is a property list
    // of ours.
    if (bytes.isEmpty() || bytes.size() > std::numeric_limits<int32_t>::max())
        return {};
    if (bytes.startsWith("bplist00"))
        return ReadBinaryPropertyList(bytes, kMaxDepth, kMaxValues, exact);
    return ReadXmlPropertyList(bytes, kMaxDepth, kMaxValues, exact);
}

QVariant ReadPropertyListFile(const QString &path, bool *exact) {
    const std::optional<QByteArray> bytes = ReadRegularFile(path, kMaxSupportFileBytes, nullptr);
    return bytes ? ReadPropertyList(*bytes, exact) : QVariant();
}

QByteArray WritePropertyListXml(const QVariant &value) {
    return WriteXmlPropertyList(value, kMaxDepth, kMaxValues);
}

bool WritePropertyListFile(const QString &path, const QVariant &value, QString *error) {
    const QByteArray xml = WritePropertyListXml(value);
    QString why;
    if (xml.isEmpty())
        why = QStringLiteral("The value holds something a property list cannot express");
    else if (xml.size() > kMaxSupportFileBytes)
        why = QStringLiteral("It would take %1 bytes, more than the %2 that are read back")
                  .arg(xml.size())
                  .arg(kMaxSupportFileBytes);
    if (why.isNull())
        return WriteFileAtomically(path, xml, error);
    if (error)
        *error = why;
    return false;
}
