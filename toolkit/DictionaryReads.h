#pragma once

#include <QString>
#include <QVariant>

// Tolerant reads of property-list values: a missing key or a value of another
// kind gives the default, never an error.

// A text as it is, a number (or boolean) as its text form ("12", "1").
QString StringForKey(const QVariant &object, const QString &key, const QString &defaultValue);

// A number's integer part, or the integer that a text's leading digits spell.
qint64 IntegerForKey(const QVariant &dictionary, const QString &key, qint64 defaultValue);

// The integer value of any property-list value: numbers truncated, texts by
// their leading "  -123" part (0 without digits), anything else 0. Saturates.
qint64 IntegerValue(const QVariant &value);

// The leading decimal integer of a text: optional blanks, an optional sign,
// digits. 0 when there are none or the text is absent. Saturates at the
// bounds of 64 bits.
qint64 LeadingInteger(const QString &text);

// True for the property-list number kinds, booleans included.
bool IsNumber(const QVariant &value);
