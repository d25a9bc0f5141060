// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Reading the small files Tavo keeps or ships (settings, defaults, an
// application's Info.plist, the string and document-type tables, pages),
// whatever a hostile or unlucky desk has put at their names: a FIFO must not
// hang the reader, and a link to a device must not feed it without end.

// Larger than any such file will ever be (the document-type table is about
// 60 KB), small enough to hold in memory.
inline constexpr qint64 kMaxSupportFileBytes = qint64(32) << 20;

// The bytes of the regular file at `path` (links followed), read without ever
// blocking. Absent, with the reason in `error`, when the path names anything
// else (a FIFO, a device, a folder), cannot be read, or holds more than
// `maxBytes`. The path is encoded with EncodeFileName.
std::optional<QByteArray> ReadRegularFile(const QString &path, qint64 maxBytes, QString *error);
