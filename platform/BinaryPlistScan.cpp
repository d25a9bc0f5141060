// SPDX-License-Identifier: MIT
#include "platform/BinaryPlistScan.h"

#include <QList>

#include <algorithm>
#include <vector>

namespace {

constexpr qsizetype kTrailerSize = 32;

// A big-endian unsigned number of `size` bytes (1 to 8) at `at`.
bool ReadBigEndian(const QByteArray &bytes, quint64 at, quint64 size, quint64 *value) {
    if (size == 0 || size > 8 || at > quint64(bytes.size()) || size > quint64(bytes.size()) - at)
        return false;
    quint64 v = 0;
    for (quint64 i = 0; i < size; ++i)
        v = (v << 8) | static_cast<unsigned char>(bytes[qsizetype(at + i)]);
    *value = v;
    return true;
}

// The trailer and offset table of a binary list.
struct ObjectTable {
    bool read(const QByteArray &data) {
        bytes = &data;
        if (!data.startsWith("bplist00") || data.size() < 8 + kTrailerSize)
            return false;
        const quint64 trailer = quint64(data.size() - kTrailerSize);
        if (!ReadBigEndian(data, trailer + 6, 1, &offsetSize) ||
            !ReadBigEndian(data, trailer + 7, 1, &refSize) ||
            !ReadBigEndian(data, trailer + 8, 8, &count) ||
            !ReadBigEndian(data, trailer + 16, 8, &root) ||
            !ReadBigEndian(data, trailer + 24, 8, &table))
            return false;
        if (offsetSize == 0 || offsetSize > 8 || refSize == 0 || refSize > 8 ||
            table >= quint64(data.size()))
            return false;
        // Offsets beyond the end of the bytes are no objects.
        count = std::min(count, (quint64(data.size()) - table) / offsetSize);
        return true;
    }

    bool offsetOf(quint64 index, quint64 *offset) const {
        return index < count &&
               ReadBigEndian(*bytes, table + index * offsetSize, offsetSize, offset);
    }

    // The object's marker, and where its contents begin after the size that
    // the marker's low half gives (or the integer object after it).
    bool header(quint64 offset, quint64 *marker, quint64 *size, quint64 *contents) const {
        if (!ReadBigEndian(*bytes, offset, 1, marker))
            return false;
        *size = *marker & 0x0F;
        *contents = offset + 1;
        if (*size != 0x0F)
            return true;
        quint64 intMarker = 0;
        if (!ReadBigEndian(*bytes, offset + 1, 1, &intMarker) || (intMarker & 0xF0) != 0x10)
            return false;
        const quint64 intSize = quint64(1) << (intMarker & 0x0F);
        *contents = offset + 2 + intSize;
        return ReadBigEndian(*bytes, offset + 2, intSize, size);
    }

    const QByteArray *bytes = nullptr;
    quint64 offsetSize = 0, refSize = 0, count = 0, root = 0, table = 0;
};

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

} // namespace

bool BinaryPlistHasNulInUtf16Text(const QByteArray &bytes) {
    ObjectTable objects;
    if (!objects.read(bytes))
        return false;
    const NulUnits nuls(bytes);
    for (quint64 i = 0; i < objects.count; ++i) {
        quint64 offset = 0, marker = 0, units = 0, at = 0;
        if (!objects.offsetOf(i, &offset))
            return false;
        if (!objects.header(offset, &marker, &units, &at) || (marker & 0xF0) != 0x60 ||
            at > quint64(bytes.size()))
            continue;
        units = std::min(units, (quint64(bytes.size()) - at) / 2);
        if (nuls.within(at, at + 2 * units))
            return true;
    }
    return false;
}

bool BinaryPlistExceeds(const QByteArray &bytes, int maxDepth, quint64 maxValues) {
    ObjectTable objects;
    if (!objects.read(bytes) || objects.root >= objects.count)
        return false;

    // The references of a container: arrays (A) and sets (C) hold `size`,
    // dictionaries (D) twice as many, keys then values. None for the rest.
    auto references = [&](quint64 index, quint64 *first, quint64 *end) {
        quint64 offset = 0, marker = 0, size = 0;
        *first = *end = 0;
        if (!objects.offsetOf(index, &offset) || !objects.header(offset, &marker, &size, first))
            return;
        const quint64 kind = marker >> 4;
        if (kind != 0xA && kind != 0xC && kind != 0xD)
            return;
        const quint64 refs = kind == 0xD ? std::min(size, ~quint64(0) / 2) * 2 : size;
        // References past the end are not followed; libplist refuses them.
        const quint64 room = *first <= quint64(bytes.size())
                                 ? (quint64(bytes.size()) - *first) / objects.refSize
                                 : 0;
        *end = *first + std::min(refs, room) * objects.refSize;
    };

    // Depth-first, without recursion. Once an object is walked, its height
    // (objects on the longest path down, itself included) and the number of
    // objects it expands to are kept, so a shared object is walked once
    // however often it is reached, and the count stays cheap.
    constexpr quint16 kUnknown = 0, kOnPath = 0xFFFF;
    std::vector<quint16> height(objects.count, kUnknown);
    std::vector<quint64> expanded(objects.count, 0);
    struct Frame {
        quint64 index, next, end;
        quint16 height;
        quint64 expanded;
    };
    std::vector<Frame> path;
    auto enter = [&](quint64 index) {
        Frame frame{index, 0, 0, 1, 1};
        references(index, &frame.next, &frame.end);
        height[index] = kOnPath;
        path.push_back(frame);
    };
    // Adds a child's figures to its parent's; false past the bounds. Counts
    // stop growing just past the bound, so they never overflow.
    auto add = [&](Frame &parent, quint16 childHeight, quint64 childExpanded) {
        parent.height = std::max<quint16>(parent.height, childHeight + 1);
        parent.expanded = std::min(parent.expanded + childExpanded, maxValues + 1);
        return int(childHeight) + int(path.size()) <= maxDepth && parent.expanded <= maxValues;
    };
    enter(objects.root);
    while (!path.empty()) {
        if (path.size() > size_t(maxDepth))
            return true;
        Frame &top = path.back();
        if (top.next >= top.end) {
            const Frame done = top;
            path.pop_back();
            height[done.index] = done.height;
            expanded[done.index] = done.expanded;
            if (path.empty())
                return done.expanded > maxValues;
            if (!add(path.back(), done.height, done.expanded))
                return true;
            continue;
        }
        quint64 child = 0;
        ReadBigEndian(bytes, top.next, objects.refSize, &child);
        top.next += objects.refSize;
        if (child >= objects.count)
            continue;
        if (height[child] == kOnPath)
            return true; // a circle never ends
        if (height[child] != kUnknown) {
            if (!add(top, height[child], expanded[child]))
                return true;
            continue;
        }
        enter(child);
    }
    return false;
}
