// SPDX-License-Identifier: MIT
#pragma once

#include "doc/DocInfo.h"
#include "platform/FileHead.h"

#include <QByteArray>

// tavo-identify's table for spreadsheets: tab-separated values, one row per
// file below a header row that names the columns as the JSON members are
// named. An absent text is an empty field, recognised and extMismatch are
// "true" or "false", and the name is written with the escapes of TsvEscaped.
extern const char kIdentifyTsvHeader[];

QByteArray IdentifyTsvLine(const QByteArray &name, const DocInfo &info,
                           const FileHeadRead &read = {}, bool extMismatch = false);
