// SPDX-License-Identifier: MIT
#include "platform/FileName.h"

#include <QUrl>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at `i` and its code point, or 0 when
// the bytes there are not one: stray continuation bytes, overlong forms,
// UTF-16 surrogates and values past U+10FFFF are all invalid.
int ValidSequence(const QByteArray &bytes, qsizetype i, char32_t *codePoint) {
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = at(i);
    const qsizetype left = bytes.size() - i;
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    }
    int length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int k = 1; k < length; ++k) {
        if (!IsContinuation(at(i + k)))
            return 0;
        value = (value << 6) | (at(i + k) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *codePoint = value;
    return length;
}

bool IsEscapedByte(char16_t unit) {
    return unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF;
}

} // namespace

QString DecodeFileName(const QByteArray &native) {
    if (native.isNull())
        return {};
    QString name;
    name.reserve(native.size());
    for (qsizetype i = 0; i < native.size();) {
        char32_t codePoint = 0;
        const int length = ValidSequence(native, i, &codePoint);
        if (length == 0) {
            name.append(QChar(char16_t(kEscapeBase + static_cast<unsigned char>(native[i]))));
            ++i;
            continue;
        }
        if (codePoint >= 0x10000) {
            const char32_t both[1] = {codePoint};
            name.append(QString::fromUcs4(both, 1));
        } else {
            name.append(QChar(char16_t(codePoint)));
        }
        i += length;
    }
    return name;
}

QByteArray EncodeFileName(const QString &name) {
    if (name.isNull())
        return {};
    QByteArray native;
    native.reserve(name.size());
    qsizetype runStart = 0;
    const auto flush = [&](qsizetype end) {
        if (end > runStart)
            native += QStringView(name).sliced(runStart, end - runStart).toUtf8();
    };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        // A low surrogate is escaped only when it is not the second half of a pair.
        const bool paired = i > 0 && QChar::isHighSurrogate(name[i - 1].unicode());
        if (IsEscapedByte(unit) && !paired) {
            flush(i);
            native += char(unit - kEscapeBase);
            runStart = i + 1;
        }
    }
    flush(name.size());
    return native;
}

bool HasForeignBytes(const QString &name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const bool paired = i > 0 && QChar::isHighSurrogate(name[i - 1].unicode());
        if (IsEscapedByte(name[i].unicode()) && !paired)
            return true;
    }
    return false;
}

QByteArray FileUrl(const QString &path) {
    if (!HasForeignBytes(path))
        return QUrl::fromLocalFile(path).toEncoded(QUrl::FullyEncoded);
    return QByteArrayLiteral("file://") + EncodeFileName(path).toPercentEncoding("/");
}
