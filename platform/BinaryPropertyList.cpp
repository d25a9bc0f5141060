// SPDX-License-Identifier: MIT
#include "platform/BinaryPropertyList.h"

#include "platform/PropertyListUid.h"

#include <QDateTime>
#include <QHash>
#include <QStringDecoder>
#include <QTimeZone>

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

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

double BitsToDouble(quint64 bits) {
    double d = 0;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

float BitsToFloat(quint32 bits) {
    float f = 0;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// Property-list dates count seconds from the start of 2001 (UTC); an XML list
// writes four digits of year.
const QDateTime &ReferenceDate() {
    static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return epoch;
}

bool IsLoneSurrogate(const QString &text, qsizetype i) {
    const QChar c = text[i];
    if (c.isHighSurrogate())
        return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    return c.isLowSurrogate() && (i == 0 || !text[i - 1].isHighSurrogate());
}

class Reader {
public:
    Reader(const QByteArray &bytes, int maxDepth, qint64 maxValues)
        : mBytes(bytes), mMaxDepth(maxDepth), mMaxValues(maxValues) {}

    QVariant read(bool *exact) {
        QVariant root;
        if (!readTrailer() || !object(mRoot, 0, &root))
            return {};
        if (exact)
            *exact = mExact;
        return root;
    }

private:
    bool readTrailer() {
        if (!mBytes.startsWith("bplist00") || mBytes.size() < 8 + kTrailerSize)
            return false;
        const quint64 trailer = quint64(mBytes.size() - kTrailerSize);
        if (!ReadBigEndian(mBytes, trailer + 6, 1, &mOffsetSize) ||
            !ReadBigEndian(mBytes, trailer + 7, 1, &mRefSize) ||
            !ReadBigEndian(mBytes, trailer + 8, 8, &mCount) ||
            !ReadBigEndian(mBytes, trailer + 16, 8, &mRoot) ||
            !ReadBigEndian(mBytes, trailer + 24, 8, &mTable))
            return false;
        if (mOffsetSize == 0 || mOffsetSize > 8 || mRefSize == 0 || mRefSize > 8 ||
            mTable >= quint64(mBytes.size()))
            return false;
        // Offsets beyond the end of the bytes are no objects.
        mCount = std::min(mCount, (quint64(mBytes.size()) - mTable) / mOffsetSize);
        return mRoot < mCount;
    }

    // Whether `count` items of `unit` bytes fit from `at` on.
    bool fits(quint64 at, quint64 count, quint64 unit) const {
        const quint64 size = quint64(mBytes.size());
        return at <= size && count <= (size - at) / unit;
    }

    // The marker of the object at `index`, the count that its low half gives
    // (or the integer object after it) and where its contents begin.
    bool header(quint64 index, quint64 *marker, quint64 *count, quint64 *contents) const {
        quint64 offset = 0;
        if (index >= mCount ||
            !ReadBigEndian(mBytes, mTable + index * mOffsetSize, mOffsetSize, &offset) ||
            !ReadBigEndian(mBytes, offset, 1, marker))
            return false;
        *count = *marker & 0x0F;
        *contents = offset + 1;
        const quint64 kind = *marker >> 4;
        if (*count != 0x0F || kind < 0x4 || kind == 0x8)
            return true;
        quint64 intMarker = 0;
        if (!ReadBigEndian(mBytes, offset + 1, 1, &intMarker) || (intMarker & 0xF0) != 0x10 ||
            (intMarker & 0x0F) > 3)
            return false;
        const quint64 intSize = quint64(1) << (intMarker & 0x0F);
        *contents = offset + 2 + intSize;
        return ReadBigEndian(mBytes, offset + 2, intSize, count);
    }

    // An object that several references share is read once and its value
    // shared (Qt's values are implicitly shared); what it expands to, and how
    // deep it goes, count again at every reference.
    bool object(quint64 index, int depth, QVariant *out) {
        if (const auto done = mDone.constFind(index); done != mDone.constEnd()) {
            mValues += done->values;
            mDeepest = std::max(mDeepest, depth + done->below);
            *out = done->value;
            return mDeepest <= mMaxDepth && mValues <= mMaxValues;
        }
        if (depth > mMaxDepth || ++mValues > mMaxValues)
            return false;
        const qint64 before = mValues - 1;
        const int outer = std::exchange(mDeepest, depth);
        if (!build(index, depth, out))
            return false;
        mDone.insert(index, {*out, mValues - before, mDeepest - depth});
        mDeepest = std::max(outer, mDeepest);
        return true;
    }

    bool build(quint64 index, int depth, QVariant *out) {
        quint64 marker = 0, count = 0, at = 0;
        if (!header(index, &marker, &count, &at))
            return false;
        switch (marker >> 4) {
        case 0x0:
            if (marker != 0x08 && marker != 0x09)
                return false; // null and fill are no property-list values
            *out = QVariant(marker == 0x09);
            return true;
        case 0x1:
            return integer(at, count, out);
        case 0x2: {
            quint64 bits = 0;
            if ((count != 2 && count != 3) ||
                !ReadBigEndian(mBytes, at, quint64(1) << count, &bits))
                return false;
            *out = QVariant(count == 3 ? BitsToDouble(bits) : double(BitsToFloat(quint32(bits))));
            return true;
        }
        case 0x3: {
            quint64 bits = 0;
            if (marker != 0x33 || !ReadBigEndian(mBytes, at, 8, &bits))
                return false;
            *out = date(BitsToDouble(bits));
            return true;
        }
        case 0x4:
            if (!fits(at, count, 1))
                return false;
            *out = QVariant(mBytes.mid(qsizetype(at), qsizetype(count)));
            return true;
        case 0x5:
        case 0x6:
            return text(marker >> 4, at, count, out);
        case 0x8: {
            // 1 to 16 bytes; what is beyond 64 bits must be zeros.
            quint64 high = 0, uid = 0;
            const quint64 size = count + 1;
            if ((size > 8 && !ReadBigEndian(mBytes, at, size - 8, &high)) ||
                !ReadBigEndian(mBytes, at + (size > 8 ? size - 8 : 0), std::min<quint64>(size, 8),
                               &uid))
                return false;
            if (high != 0)
                mExact = false;
            *out = QVariant::fromValue(PropertyListUid{high != 0 ? 0 : uid});
            return true;
        }
        case 0xA:
            return array(at, count, depth, out);
        case 0xD:
            return dictionary(at, count, depth, out);
        default:
            return false; // sets, and markers no writer uses
        }
    }

    // 1, 2 and 4 bytes are unsigned, 8 bytes signed; 16 bytes are signed too
    // and hold what lies beyond qint64.
    bool integer(quint64 at, quint64 power, QVariant *out) {
        quint64 value = 0, high = 0;
        if (power > 4 || (power == 4 && !ReadBigEndian(mBytes, at, 8, &high)) ||
            !ReadBigEndian(mBytes, power == 4 ? at + 8 : at,
                           quint64(1) << std::min<quint64>(power, 3), &value))
            return false;
        if (power < 4 || (high == ~quint64(0) && (value >> 63) != 0))
            *out = QVariant(qint64(value));
        else if (high == 0)
            *out = value > quint64(std::numeric_limits<qint64>::max()) ? QVariant(value)
                                                                       : QVariant(qint64(value));
        else {
            mExact = false; // beyond 64 bits: the nearest bound
            *out = (high >> 63) != 0 ? QVariant(std::numeric_limits<qint64>::min())
                                     : QVariant(std::numeric_limits<quint64>::max());
        }
        return true;
    }

    QVariant date(double seconds) {
        static const double first =
            double(ReferenceDate().secsTo(QDateTime(QDate(1, 1, 1), QTime(0, 0), Qt::UTC)));
        static const double last = double(
            ReferenceDate().secsTo(QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59), Qt::UTC)));
        if (!(seconds >= first && seconds <= last)) { // NaN too
            mExact = false;
            return QVariant(ReferenceDate().addSecs(qint64(seconds < first ? first : last)));
        }
        if (seconds != std::floor(seconds))
            mExact = false;
        return QVariant(ReferenceDate().addMSecs(qint64(std::floor(seconds * 1000))));
    }

    bool text(quint64 kind, quint64 at, quint64 count, QVariant *out) {
        QString value = QLatin1String("");
        if (kind == 0x5) {
            if (!fits(at, count, 1))
                return false;
            QStringDecoder utf8(QStringDecoder::Utf8);
            value += utf8.decode(QByteArrayView(mBytes).sliced(qsizetype(at), qsizetype(count)));
            if (utf8.hasError())
                mExact = false;
        } else {
            if (!fits(at, count, 2))
                return false;
            value.resize(qsizetype(count));
            for (quint64 i = 0; i < count; ++i)
                value[qsizetype(i)] = QChar(char16_t(uchar(mBytes[qsizetype(at + 2 * i)]) << 8 |
                                                     uchar(mBytes[qsizetype(at + 2 * i + 1)])));
        }
        // What XML cannot hold: a NUL has always ended its text.
        if (const qsizetype nul = value.indexOf(QChar(0)); nul >= 0) {
            value.truncate(nul);
            mExact = false;
        }
        for (qsizetype i = 0; i < value.size(); ++i) {
            if (value[i] == QChar(0xFFFE) || value[i] == QChar(0xFFFF) ||
                IsLoneSurrogate(value, i)) {
                value[i] = QChar::ReplacementCharacter;
                mExact = false;
            }
        }
        *out = QVariant(value);
        return true;
    }

    bool reference(quint64 at, quint64 *index) const {
        return ReadBigEndian(mBytes, at, mRefSize, index);
    }

    bool array(quint64 at, quint64 count, int depth, QVariant *out) {
        if (!fits(at, count, mRefSize))
            return false;
        QVariantList list;
        for (quint64 i = 0; i < count; ++i) {
            quint64 index = 0;
            QVariant item;
            if (!reference(at + i * mRefSize, &index) || !object(index, depth + 1, &item))
                return false;
            list.append(std::move(item));
        }
        *out = QVariant(std::move(list));
        return true;
    }

    bool dictionary(quint64 at, quint64 count, int depth, QVariant *out) {
        if (!fits(at, count, 2 * mRefSize))
            return false;
        QVariantMap map;
        for (quint64 i = 0; i < count; ++i) {
            quint64 keyIndex = 0, valueIndex = 0, marker = 0, unused = 0;
            QVariant key, value;
            // Keys are texts, in a list as in XML.
            if (!reference(at + i * mRefSize, &keyIndex) ||
                !reference(at + (count + i) * mRefSize, &valueIndex) ||
                !header(keyIndex, &marker, &unused, &unused) ||
                ((marker >> 4) != 0x5 && (marker >> 4) != 0x6) ||
                !object(keyIndex, depth + 1, &key) || !object(valueIndex, depth + 1, &value))
                return false;
            if (map.contains(key.toString()))
                mExact = false;
            map.insert(key.toString(), std::move(value));
        }
        *out = QVariant(std::move(map));
        return true;
    }

    const QByteArray &mBytes;
    const int mMaxDepth;
    const qint64 mMaxValues;
    quint64 mOffsetSize = 0, mRefSize = 0, mCount = 0, mRoot = 0, mTable = 0;
    qint64 mValues = 0;
    int mDeepest = 0;
    struct Done {
        QVariant value;
        qint64 values;
        int below;
    };
    QHash<quint64, Done> mDone;
    bool mExact = true;
};

} // namespace

QVariant ReadBinaryPropertyList(const QByteArray &bytes, int maxDepth, qint64 maxValues,
                                bool *exact) {
    return Reader(bytes, maxDepth, maxValues).read(exact);
}
