// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// Property lists as Qt values: dictionaries are QVariantMap, arrays
// QVariantList, texts QString, integers qint64 (quint64 beyond it, where an
// XML list says so), reals double, booleans bool, dates QDateTime (UTC) and
// data QByteArray. XML and binary lists are read, within bounds of depth and
// size that no real list reaches; XML is written.

// An invalid QVariant when the bytes are not a property list.
QVariant ReadPropertyList(const QByteArray &bytes);

// An invalid QVariant when the file cannot be read or is not a property list;
// only a regular file is read (see RegularFile.h).
QVariant ReadPropertyListFile(const QString &path);

// Empty when the value cannot be expressed as a property list.
QByteArray WritePropertyListXml(const QVariant &value);

// Writes as WriteFileAtomically does (see AtomicFile.h): the old file stays
// whole unless the new one is complete. False, with the reason in `error`,
// when the file was not written.
bool WritePropertyListFile(const QString &path, const QVariant &value, QString *error = nullptr);
