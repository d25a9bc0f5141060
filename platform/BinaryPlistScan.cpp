#include "platform/BinaryPlistScan.h"

#include <QList>

#include <algorithm>

namespace {

constexpr qsizetype kTrailerSize = 32;

// A big-endian unsigned number of `size` bytes (1 to 8) at `at`.
bool ReadBigEndian(const QByteArray &bytes, quint64 at, unsigned size, quint64 *value) {
    if (size == 0 || size > 8 || at > quint64(bytes.size()) || size > quint64(bytes.size()) - at)
        return false;
    quint64 v = 0;
    for (unsigned i = 0; i < size; ++i)
        v = (v << 8) | static_cast<unsigned char>(bytes[qsizetype(at + i)]);
    *value = v;
    return true;
}

// Where a UTF-16 unit 0000 could start, by the parity of its position. Texts
// may overlap in a hostile table, so each text is checked against this index
// rather than scanned again.
struct NulUnits {
    explicit NulUnits(const QByteArray &bytes) {
        for (qsizetype p = 0; p + 1 < bytes.size(); ++p) {
            if (bytes[p] == 0 && bytes[p + 1] == 0)
                at[p % 2].append(quint64(p));
        }
    }
    // One lies in [begin, end) in step with begin.
    bool within(quint64 begin, quint64 end) const {
        const QList<quint64> &list = at[begin % 2];
        const auto it = std::lower_bound(list.cbegin(), list.cend(), begin);
        return it != list.cend() && *it < end;
    }
    QList<quint64> at[2];
};

// The object at `offset` is a UTF-16 text with a U+0000 in it.
bool IsUtf16TextWithNul(const QByteArray &bytes, const NulUnits &nuls, quint64 offset) {
    quint64 marker = 0;
    if (!ReadBigEndian(bytes, offset, 1, &marker) || (marker & 0xF0) != 0x60)
        return false;
    quint64 count = marker & 0x0F;
    quint64 at = offset + 1;
    if (count == 0x0F) { // the count follows as an integer object
        quint64 intMarker = 0;
        if (!ReadBigEndian(bytes, at, 1, &intMarker) || (intMarker & 0xF0) != 0x10)
            return false;
        const unsigned size = 1u << (intMarker & 0x0F);
        if (!ReadBigEndian(bytes, at + 1, size, &count))
            return false;
        at += 1 + size;
    }
    if (at > quint64(bytes.size()))
        return false;
    const quint64 units = std::min(count, (quint64(bytes.size()) - at) / 2);
    return nuls.within(at, at + 2 * units);
}

} // namespace

bool BinaryPlistHasNulInUtf16Text(const QByteArray &bytes) {
    if (!bytes.startsWith("bplist00") || bytes.size() < 8 + kTrailerSize)
        return false;
    const quint64 trailer = quint64(bytes.size() - kTrailerSize);
    quint64 offsetSize = 0, objects = 0, table = 0;
    if (!ReadBigEndian(bytes, trailer + 6, 1, &offsetSize) ||
        !ReadBigEndian(bytes, trailer + 8, 8, &objects) ||
        !ReadBigEndian(bytes, trailer + 24, 8, &table))
        return false;
    if (offsetSize == 0 || offsetSize > 8 || table >= quint64(bytes.size()))
        return false;
    // Offsets beyond the end of the bytes are no objects.
    objects = std::min(objects, (quint64(bytes.size()) - table) / offsetSize);
    const NulUnits nuls(bytes);
    for (quint64 i = 0; i < objects; ++i) {
        quint64 offset = 0;
        if (!ReadBigEndian(bytes, table + i * offsetSize, unsigned(offsetSize), &offset))
            return false;
        if (IsUtf16TextWithNul(bytes, nuls, offset))
            return true;
    }
    return false;
}
