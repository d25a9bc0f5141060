// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

// Stands for "not a regular file" where an errno value would go: a FIFO, a
// device or a socket is never read, and no errno names that refusal.
inline constexpr int kNotRegularFile = -1;

// What reading the head of a file came to.
struct FileHeadRead {
    std::size_t length = 0; // bytes read; fewer than asked when the file is shorter
    int error = 0;          // 0 when read, else the errno of the failed call or kNotRegularFile

    bool ok() const { return error == 0; }
};

// Reads up to `size` bytes from the start of the regular file whose name is
// exactly the bytes `native`. A file shorter than `size` is read fine.
FileHeadRead ReadFileHeadBytes(const QByteArray &native, unsigned char *buffer, std::size_t size);

// A short English reason for FileHeadRead::error: "No such file or
// directory", "Permission denied", "not a regular file".
QByteArray FileHeadErrorText(int error);

// Reads exactly `size` bytes from the start of the regular file at `path`.
// False when the file cannot be opened, is not a regular file, or is shorter.
bool ReadFileHead(const QString &path, unsigned char *buffer, std::size_t size);
