// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QVariant>

// Tolerant reads of property-list values: a missing key or a value of another
// kind gives the default, never an error.

// A text as it is, a number (or boolean) as its text form ("12", "1").
QString StringForKey(const QVariant &object, const QString &key, const QString &defaultValue);

// A number's integer part, or the integer that a text's leading digits spell.
qint64 IntegerForKey(const QVariant &dictionary, const QString &key, qint64 defaultValue);
