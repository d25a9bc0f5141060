// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

// File names on Linux are bytes, and old archives hold names that are not
// UTF-8 (a Latin-1 "Zürich" is 5A FC 72 69 63 68). Inside Tavo a name is a
// QString in which every byte that is not part of valid UTF-8 is carried as
// the code point U+DC00 + byte (U+DC80..U+DCFF, unpaired surrogates that no
// valid UTF-8 can produce), the way Python's "surrogateescape" carries them.
// So a name decoded here and encoded again gives back its exact bytes.
//
// Qt's own file classes encode names as UTF-8 and would spoil such a name:
// whatever touches a document by its name goes through these two.

QString DecodeFileName(const QByteArray &native);
QByteArray EncodeFileName(const QString &name);

// True when the name carries bytes that are not UTF-8.
bool HasForeignBytes(const QString &name);

// The file URL of a path, as the bookmark of the open-document event: Qt's
// encoding for UTF-8 names, and the exact bytes percent-encoded for others.
QByteArray FileUrl(const QString &path);
