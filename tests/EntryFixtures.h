// SPDX-License-Identifier: MIT
#pragma once

// Desktop entries and stand-in programs made in a test's own folders.

#include "TestSupport.h"

// An application's entry named `name`, with more `lines` (by default a
// command that takes a document); answers its path.
inline QString WriteEntry(const QString &path, const QByteArray &name,
                          const QByteArray &lines = "Exec=true %f\n") {
    return WriteAll(path, "[Desktop Entry]\nType=Application\nName=" + name + "\n" + lines)
               ? path
               : QString();
}

// A program that writes, as lines of `record`.done made at once when it is
// done: its arguments (each in brackets), its working folder, and what Tavo
// tells wrappers of the document and of its preferences.
inline bool MakeRecordingProgram(const QString &program, const QString &record) {
    const QByteArray to = QFile::encodeName(record);
    return WriteAll(program, "#!/bin/sh\n{ for a in \"$@\"; do printf '[%s]' \"$a\"; done\n"
                             "printf '\\n%s\\n%s\\n%s\\n' \"$(pwd)\" \"$TAVO_DOCUMENT\" "
                             "\"$TAVO_USE_DOC_PREFS\"; } > '" +
                                 to + ".tmp'\nmv '" + to + ".tmp' '" + to + ".done'\n") &&
           QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner);
}
