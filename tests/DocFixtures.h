#pragma once

// Builds document heads and files for the identification tests.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <initializer_list>

// A 512-byte head of zeros with `bytes` written from `offset` on.
inline QByteArray Head(std::initializer_list<unsigned char> bytes, int offset = 0, int size = 512) {
    QByteArray head(size, '\0');
    int i = offset;
    for (unsigned char b : bytes) {
        if (i < size)
            head[i] = static_cast<char>(b);
        ++i;
    }
    return head;
}

// An InDesign head: the 16-byte signature, "DOCUMENT", then bytes 24 onward.
inline QByteArray InDesignHead(std::initializer_list<unsigned char> from24) {
    QByteArray head = Head({0x06, 0x06, 0xED, 0xF5, 0xD8, 0x1D, 0x46, 0xE5, 0xBD, 0x31, 0xEF, 0xE7,
                            0xFE, 0x74, 0xB7, 0x1D});
    head.replace(16, 8, "DOCUMENT");
    int i = 24;
    for (unsigned char b : from24)
        head[i++] = static_cast<char>(b);
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

inline bool WriteFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
