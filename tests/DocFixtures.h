// SPDX-License-Identifier: MIT
#pragma once

// Builds document heads and files for the identification tests.

#include "TestSupport.h"

#include <QByteArray>
#include <QString>

#include <initializer_list>

// An InDesign head of 512 bytes: the 16-byte signature, "DOCUMENT", then
// bytes 24 onward, then zeros.
inline QByteArray InDesignHead(std::initializer_list<unsigned char> from24) {
    QByteArray head = QByteArray::fromHex("0606EDF5D81D46E5BD31EFE7FE74B71D") + "DOCUMENT";
    for (unsigned char b : from24)
        head += static_cast<char>(b);
    head.resize(512, '\0');
    return head;
}

// InDesign bytes 29..33 as the identification rules examine them.
inline QByteArray InDesignVersionBytes(unsigned char b29, unsigned char b30, unsigned char b31,
                                       unsigned char b32, unsigned char b33) {
    return InDesignHead({0x01, 0x70, 0x0F, 0x00, 0x00, b29, b30, b31, b32, b33});
}

inline QByteArray FromHex(const char *hex, int size = 512) {
    QByteArray head = QByteArray::fromHex(hex);
    head.resize(size, '\0');
    return head;
}
