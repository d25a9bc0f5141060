// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QVariant>

// How Tavo reads single property-list values (as ReadPropertyList gives them)
// as numbers and texts, whatever kind they were stored as.

// True for the property-list number kinds, booleans included.
bool IsNumber(const QVariant &value);

// A text as it is, a number (or boolean) as its text form ("12", "1");
// absent for anything else.
QString TextValue(const QVariant &value);

// The integer value of any property-list value: numbers truncated, texts by
// their leading "  -123" part (0 without digits), anything else 0. Saturates.
qint64 IntegerValue(const QVariant &value);

// The leading decimal integer of a text: optional blanks, an optional sign,
// digits. 0 when there are none or the text is absent. Saturates at the
// bounds of 64 bits.
qint64 LeadingInteger(const QString &text);
