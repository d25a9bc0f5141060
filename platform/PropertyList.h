#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// Property lists as Qt values: dictionaries are QVariantMap, arrays QVariantList,
// texts QString, integers qint64, reals double, booleans bool, dates QDateTime
// and data QByteArray. Any format libplist knows is read; XML is written.

// An invalid QVariant when the bytes are not a property list.
QVariant ReadPropertyList(const QByteArray &bytes);

// An invalid QVariant when the file cannot be read or is not a property list.
QVariant ReadPropertyListFile(const QString &path);

// Empty when the value cannot be expressed as a property list.
QByteArray WritePropertyListXml(const QVariant &value);

// Writes through a temporary file that replaces the old one only once it is
// complete, so a failed write leaves the old file whole.
bool WritePropertyListFile(const QString &path, const QVariant &value);
