// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

// File names are bytes, and a name may hold a line feed, a tab or bytes that
// are not UTF-8. Where one line stands for one file, such bytes are written
// as escapes, so that the line stays one line and readable.

// For people, the way file(1) writes names: every byte of a control
// character (U+0000 to U+001F, U+007F to U+009F) or of a line or paragraph
// separator (U+2028, U+2029), and every byte that is not part of valid
// UTF-8, as a backslash and three octal digits ("a\012b", "Z\374rich",
// "\342\200\250"); everything else, a backslash too, as it is. (file(1) in a
// UTF-8 locale writes such a character by its low byte alone, U+0085 as
// \205 and U+2028 as \050, which cannot be told from a byte of the name.)
QByteArray OctalEscaped(const QByteArray &name);

// For tables: backslash, tab, line feed and carriage return as \\, \t, \n
// and \r, the other bytes above as \xHH (two lowercase hex digits). The
// field is valid UTF-8 without tabs or line breaks, and undoing the escapes
// gives back the exact bytes.
QByteArray TsvEscaped(const QByteArray &name);
