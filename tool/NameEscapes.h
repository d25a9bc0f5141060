// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

// File names are bytes, and a name may hold a line feed, a tab or bytes that
// are not UTF-8. Where one line stands for one file, such bytes are written
// as escapes, so that the line stays one line and readable.

// For people, the way file(1) writes names: every control byte (U+0000 to
// U+001F, U+007F, and the UTF-8 bytes of U+0080 to U+009F) and every byte
// that is not part of valid UTF-8 as a backslash and three octal digits
// ("a\012b", "Z\374rich"); everything else, a backslash too, as it is.
QByteArray OctalEscaped(const QByteArray &name);

// For tables: backslash, tab, line feed and carriage return as \\, \t, \n
// and \r, the other bytes above as \xHH (two lowercase hex digits). The
// field is valid UTF-8 without tabs or line breaks, and undoing the escapes
// gives back the exact bytes.
QByteArray TsvEscaped(const QByteArray &name);
