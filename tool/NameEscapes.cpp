// SPDX-License-Identifier: MIT
#include "tool/NameEscapes.h"

#include "platform/FileName.h"

#include <QString>

#include <algorithm>

namespace {

// The controls, and the line and paragraph separators, which some viewers
// break a line at.
bool IsControl(char16_t unit) {
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F) || unit == 0x2028 || unit == 0x2029;
}

// `escaped` says which characters other than controls are escaped too, and
// `escape` writes one byte.
template <typename Escaped, typename Escape>
QByteArray EscapedName(const QByteArray &name, Escaped escaped, Escape escape) {
    // Most names are printable ASCII and come back as they are.
    if (std::all_of(name.begin(), name.end(),
                    [&](char c) { return c >= 0x20 && c < 0x7F && !escaped(c); }))
        return name;
    // Decoding tells the bytes of valid UTF-8 from the others, which come
    // back as U+DC80..U+DCFF without a high surrogate before them.
    const QString decoded = DecodeFileName(name);
    QByteArray out;
    qsizetype plain = 0; // start of the run that needs no escape
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        const char16_t unit = decoded[i].unicode();
        const bool foreign = unit >= 0xDC80 && unit <= 0xDCFF &&
                             !(i > 0 && QChar::isHighSurrogate(decoded[i - 1].unicode()));
        if (!foreign && !IsControl(unit) && !escaped(unit))
            continue;
        out += decoded.mid(plain, i - plain).toUtf8();
        plain = i + 1;
        const QByteArray bytes = foreign ? QByteArray(1, static_cast<char>(unit - 0xDC00))
                                         : QString(QChar(unit)).toUtf8();
        for (const char byte : bytes)
            escape(out, static_cast<unsigned char>(byte));
    }
    return out + decoded.mid(plain).toUtf8();
}

} // namespace

QByteArray OctalEscaped(const QByteArray &name) {
    return EscapedName(
        name, [](char16_t) { return false; },
        [](QByteArray &out, unsigned char byte) {
            out += '\\';
            out += static_cast<char>('0' + (byte >> 6));
            out += static_cast<char>('0' + ((byte >> 3) & 7));
            out += static_cast<char>('0' + (byte & 7));
        });
}

QByteArray TsvEscaped(const QByteArray &name) {
    return EscapedName(
        name, [](char16_t unit) { return unit == '\\'; },
        [](QByteArray &out, unsigned char byte) {
            static constexpr char kHex[] = "0123456789abcdef";
            switch (byte) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += "\\x";
                out += kHex[byte >> 4];
                out += kHex[byte & 0xF];
            }
        });
}
