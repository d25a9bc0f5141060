#pragma once

#include <QByteArray>

// libplist 2.2 asserts, and so ends the process, when a dictionary key read
// from a binary property list holds the character U+0000; it can only come
// from a UTF-16 text object. This finds such an object in the object table
// before the bytes reach libplist. Anything that is not a well-formed binary
// list is left to libplist to refuse.
bool BinaryPlistHasNulInUtf16Text(const QByteArray &bytes);
