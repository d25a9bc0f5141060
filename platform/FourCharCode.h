// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QtGlobal>

// A four-character code is the 32-bit value whose bytes, most significant
// first, spell its characters: FourCharCode("XPR3") == 0x58505233.
constexpr quint32 FourCharCode(const char (&code)[5]) {
    return (quint32(quint8(code[0])) << 24) | (quint32(quint8(code[1])) << 16) |
           (quint32(quint8(code[2])) << 8) | quint32(quint8(code[3]));
}

// The four characters of a code, each byte taken as Latin-1.
inline QString FourCharCodeString(quint32 code) {
    const char bytes[4] = {char(code >> 24), char(code >> 16), char(code >> 8), char(code)};
    return QString::fromLatin1(bytes, 4);
}
