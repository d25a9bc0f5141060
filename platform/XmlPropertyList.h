// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QVariant>

// XML property lists read with libxml2 into Qt values (as PropertyList.h
// maps them), with no network, no DTD and no entity declarations at all, and
// within bounds whatever the bytes: more than `maxDepth` arrays and
// dictionaries open at once, or more than `maxValues` elements, stop the
// parser and make the list unreadable, before the values take memory or
// stack. Control characters, which XML cannot hold but Tavo writes as
// they are, are read back; a NUL ends the text it stands in.
//
// An invalid QVariant when the bytes are no such list. `exact` (when not
// null) is cleared when a value was left out or its text says more than the
// value read (see ReadPropertyList).
QVariant ReadXmlPropertyList(const QByteArray &bytes, int maxDepth, qint64 maxValues, bool *exact);

// The XML list of `value`, which the reader reads back the same within the
// same bounds; empty when there is no such list (see WritePropertyListXml).
QByteArray WriteXmlPropertyList(const QVariant &value, int maxDepth, qint64 maxValues);
