// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

// Checks of a binary property list's object table for what libplist 2.2
// cannot survive, made before the bytes reach it. Anything that is not a
// well-formed binary list is left to libplist to refuse.

// libplist asserts, and so ends the process, when a dictionary key holds the
// character U+0000; in a binary list it can only come from a UTF-16 text.
bool BinaryPlistHasNulInUtf16Text(const QByteArray &bytes);

// libplist parses and frees containers recursively, so a deep enough nesting
// overflows the stack; and it builds a separate copy of an object for every
// reference to it, so a few hundred bytes of arrays that share their children
// expand to billions of values. True when some path from the root object
// runs more than `maxDepth` objects deep, or in a circle, or when the list
// expands to more than `maxValues` objects (dictionary keys included, a
// shared object counted every time it is reached).
bool BinaryPlistExceeds(const QByteArray &bytes, int maxDepth, quint64 maxValues);
