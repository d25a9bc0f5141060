// SPDX-License-Identifier: MIT
#pragma once

#include "platform/PropertyListUid.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

// Property lists as Qt values: dictionaries are QVariantMap, arrays
// QVariantList, texts QString, integers qint64 (quint64 beyond it), reals
// double, booleans bool, dates QDateTime (UTC), data QByteArray and the
// archivers' object references PropertyListUid (PropertyListUid.h). XML and
// binary lists are read, within bounds of depth and size that no real list
// reaches; XML is written, in the layout libplist has always given Tavo's
// files.

// An invalid QVariant when the bytes are not a property list. `exact`, when
// not null, is set to false when a value of the list was left out or read
// otherwise than it was written (a malformed date, a second value under the
// same key, a fraction of a second or a NUL character that XML cannot hold),
// so that writing the result back would change the list.
QVariant ReadPropertyList(const QByteArray &bytes, bool *exact = nullptr);

// An invalid QVariant when the file cannot be read or is not a property list;
// only a regular file of at most kMaxSupportFileBytes is read (see
// RegularFile.h).
QVariant ReadPropertyListFile(const QString &path, bool *exact = nullptr);

// Empty when the value cannot be written so that it reads back the same: a
// kind that is no property-list value, a text holding NUL, U+FFFE, U+FFFF or
// a lone surrogate (a name's foreign byte), a date outside the years 1 to
// 9999, or more depth or values than ReadPropertyList takes.
QByteArray WritePropertyListXml(const QVariant &value);

// Writes as WriteFileAtomically does (see AtomicFile.h): the old file stays
// whole unless the new one is complete. A list that ReadPropertyListFile
// would refuse as too large is not written. False, with the reason in
// `error`, when the file was not written.
bool WritePropertyListFile(const QString &path, const QVariant &value, QString *error = nullptr);
