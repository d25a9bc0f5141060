#pragma once

#include <QString>

#include <cstddef>

// Reads exactly `size` bytes from the start of the regular file at `path`.
// False when the file cannot be opened, is not a regular file, or is shorter.
bool ReadFileHead(const QString &path, unsigned char *buffer, std::size_t size);
