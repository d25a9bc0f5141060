// SPDX-License-Identifier: MIT
#pragma once

#include "doc/DocInfo.h"
#include "platform/FileHead.h"

#include <QByteArray>

// One line of tavo-identify's output for a file: a JSON object with the
// members path, recognised, creator, version, versionName, os, ext, appName
// and type, in that order, ended by a line feed.
//
// `name` is the file name's exact bytes. "path" holds it as UTF-8 with every
// byte that is not part of valid UTF-8 shown as U+FFFD; for such a name only,
// "pathBytes" follows "path" with the exact bytes in base64, so a caller can
// still open the file. A recognised document whose name's extension does not
// fit it (see ExtensionMisleads) gets a last member "extMismatch": true; a
// file that could not be read, a last member "error" with the reason.
QByteArray IdentifyJsonLine(const QByteArray &name, const DocInfo &info,
                            const FileHeadRead &read = {}, bool extMismatch = false);

// A JSON string of UTF-8 text, with the escapes JSON needs.
QByteArray JsonString(const QByteArray &utf8);
