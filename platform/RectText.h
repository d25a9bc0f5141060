// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QString>

// The text form of a rectangle that Tavo keeps in its settings:
// "{{x, y}, {w, h}}".
QString RectToString(const QRect &rect);

// Reads the first four numbers of the text as x, y, width and height, in
// whatever brackets and blanks; missing numbers are 0 and fractions are
// rounded, so any text gives some rectangle.
QRect RectFromString(const QString &text);
