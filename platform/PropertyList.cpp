// SPDX-License-Identifier: MIT
#include "platform/PropertyList.h"

#include "platform/AtomicFile.h"
#include "platform/BinaryPlistScan.h"
#include "platform/RegularFile.h"
#include "platform/XmlPropertyList.h"

#include <QDateTime>
#include <QTimeZone>

#include <algorithm>
#include <limits>
#include <memory>
#include <plist/plist.h>

namespace {

// Property-list dates count seconds from the start of 2001 (UTC).
const QDateTime &ReferenceDate() {
    static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return epoch;
}

// Hostile files can nest arrays far deeper, and expand to far more values,
// than any real settings file or table; such files are refused rather than
// risking the stack and the memory. Values past this depth are dropped too.
constexpr int kMaxDepth = 512;
constexpr qint64 kMaxValues = 1000000;
// Longer than any file we read; keeps the length in a qsizetype.
constexpr uint64_t kMaxTextBytes = std::numeric_limits<int32_t>::max();

// The UTF-8 of a text for an XML list. XML holds neither U+FFFE nor U+FFFF,
// not even as references, and a list holding them could not be read back;
// these noncharacters never mean anything in a setting.
QByteArray XmlText(const QString &text) {
    QString safe = text;
    safe.replace(QChar(0xFFFE), QChar::ReplacementCharacter);
    safe.replace(QChar(0xFFFF), QChar::ReplacementCharacter);
    return safe.toUtf8();
}

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

QVariant ToVariant(plist_t node, int depth) {
    if (!node || depth > kMaxDepth)
        return {};
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return QVariant(b != 0);
    }
    case PLIST_UINT: {
        uint64_t v = 0;
        plist_get_uint_val(node, &v);
        // libplist keeps signed integers in their two's complement form.
        return QVariant(static_cast<qint64>(v));
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return QVariant(d);
    }
    case PLIST_STRING: {
        // Not plist_get_string_val: libplist asserts that a text holds no
        // NUL, which a hostile file breaks. The text ends at its first NUL, as
        // it would when written back.
        uint64_t length = 0;
        const char *s = plist_get_string_ptr(node, &length);
        QString text;
        if (s)
            text = QString::fromUtf8(
                s, qsizetype(qstrnlen(s, size_t(std::min<uint64_t>(length, kMaxTextBytes)))));
        // An empty string entry is an empty text, never an absent one.
        if (text.isNull())
            text = QLatin1String("");
        return QVariant(text);
    }
    case PLIST_DATA: {
        char *d = nullptr;
        uint64_t len = 0;
        plist_get_data_val(node, &d, &len);
        QByteArray data(d ? d : "", d ? static_cast<qsizetype>(len) : 0);
        free(d);
        return QVariant(data);
    }
    case PLIST_DATE: {
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        return QVariant(ReferenceDate().addMSecs(qint64(sec) * 1000 + usec / 1000));
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t n = plist_array_get_size(node);
        list.reserve(n);
        for (uint32_t i = 0; i < n; ++i) {
            QVariant v = ToVariant(plist_array_get_item(node, i), depth + 1);
            if (v.isValid())
                list.append(v);
        }
        return QVariant(list);
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter it = nullptr;
        plist_dict_new_iter(node, &it);
        if (!it)
            return QVariant(map);
        for (;;) {
            char *key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, it, &key, &value);
            if (!value) {
                free(key);
                break;
            }
            QVariant v = ToVariant(value, depth + 1);
            if (key && v.isValid())
                map.insert(QString::fromUtf8(key), v);
            free(key);
        }
        free(it);
        return QVariant(map);
    }
    default:
        return {};
    }
}

plist_t FromVariant(const QVariant &value, int depth) {
    if (depth > kMaxDepth)
        return nullptr;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
        return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return plist_new_uint(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QString:
        return plist_new_string(XmlText(value.toString()).constData());
    case QMetaType::QByteArray: {
        const QByteArray data = value.toByteArray();
        return plist_new_data(data.constData(), static_cast<uint64_t>(data.size()));
    }
    case QMetaType::QDateTime: {
        const qint64 ms = ReferenceDate().msecsTo(value.toDateTime());
        const qint64 sec = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
        if (sec < std::numeric_limits<int32_t>::min() || sec > std::numeric_limits<int32_t>::max())
            return nullptr;
        return plist_new_date(static_cast<int32_t>(sec),
                              static_cast<int32_t>((ms - sec * 1000) * 1000));
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        PlistPtr array(plist_new_array());
        for (const QVariant &item : value.toList()) {
            plist_t child = FromVariant(item, depth + 1);
            if (!child)
                return nullptr;
            plist_array_append_item(array.get(), child);
        }
        return array.release();
    }
    case QMetaType::QVariantMap: {
        PlistPtr dict(plist_new_dict());
        const QVariantMap map = value.toMap();
        for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
            plist_t child = FromVariant(it.value(), depth + 1);
            if (!child)
                return nullptr;
            plist_dict_set_item(dict.get(), XmlText(it.key()).constData(), child);
        }
        return dict.release();
    }
    default:
        return nullptr;
    }
}

} // namespace

QVariant ReadPropertyList(const QByteArray &bytes) {
    // libplist and libxml2 take a 32-bit length; nothing that large is a
    // property list of ours.
    if (bytes.isEmpty() || bytes.size() > std::numeric_limits<int32_t>::max())
        return {};
    if (!bytes.startsWith("bplist00"))
        return ReadXmlPropertyList(bytes, kMaxDepth, kMaxValues);
    // What libplist itself would not survive is refused before it sees it.
    if (BinaryPlistHasNulInUtf16Text(bytes) || BinaryPlistExceeds(bytes, kMaxDepth, kMaxValues))
        return {};
    plist_t root = nullptr;
    plist_from_memory(bytes.constData(), static_cast<uint32_t>(bytes.size()), &root);
    PlistPtr owner(root);
    return ToVariant(root, 0);
}

QVariant ReadPropertyListFile(const QString &path) {
    const std::optional<QByteArray> bytes = ReadRegularFile(path, kMaxSupportFileBytes, nullptr);
    return bytes ? ReadPropertyList(*bytes) : QVariant();
}

QByteArray WritePropertyListXml(const QVariant &value) {
    PlistPtr root(FromVariant(value, 0));
    if (!root)
        return {};
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &xml, &length);
    QByteArray out(xml ? xml : "", xml ? static_cast<qsizetype>(length) : 0);
    plist_to_xml_free(xml);
    // libplist writes a carriage return in a text as it is, which any XML
    // reader turns into a line feed; as a reference it stays what it was.
    // Nothing else in what libplist writes holds one.
    return out.replace("\r", "&#13;");
}

bool WritePropertyListFile(const QString &path, const QVariant &value, QString *error) {
    const QByteArray xml = WritePropertyListXml(value);
    if (xml.isEmpty()) {
        if (error)
            *error = QStringLiteral("The value holds something a property list cannot express");
        return false;
    }
    return WriteFileAtomically(path, xml, error);
}
