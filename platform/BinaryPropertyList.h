// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QVariant>

// Binary property lists ("bplist00") read into Qt values, as PropertyList.h
// maps them, within bounds whatever the bytes: a path from the root more than
// `maxDepth` objects deep (a circle is one), or more than `maxValues` values
// once every reference is followed (dictionary keys included; a shared object
// counts each time it is reached, as it becomes a value each time), makes the
// list unreadable, before the values take memory or stack.
//
// Every value is read as it was written: dates of any year (to the
// millisecond), integers up to 2^64 - 1, archivers' references. What no XML
// list can hold as it is (a fraction of a second, NUL, U+FFFE, U+FFFF or a
// lone surrogate in a text, an integer beyond 64 bits, a key given twice)
// sets `exact` to false; an invalid QVariant when the bytes are no such list,
// or hold objects that are no property-list values (null, fill, sets).
QVariant ReadBinaryPropertyList(const QByteArray &bytes, int maxDepth, qint64 maxValues,
                                bool *exact);
