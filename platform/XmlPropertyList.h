// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QVariant>

// XML property lists read with libxml2 into Qt values (as PropertyList.h
// maps them), with no network, no DTD and no entity declarations at all, and
// within bounds whatever the bytes: more than `maxDepth` arrays and
// dictionaries open at once, or more than `maxValues` elements, stop the
// parser and make the list unreadable, before the values take memory or
// stack. Control characters, which XML cannot hold but libplist writes as
// they are, are read back; a NUL ends the text it stands in.
//
// An invalid QVariant when the bytes are no such list.
QVariant ReadXmlPropertyList(const QByteArray &bytes, int maxDepth, qint64 maxValues);
