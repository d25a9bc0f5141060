// SPDX-License-Identifier: MIT
#pragma once

#include "doc/DocInfo.h"
#include "platform/FileHead.h"

#include <QByteArray>

// One line of tavo-identify's readable output, in the manner of file(1): the
// name (with the escapes of OctalEscaped), a colon, and what the file is:
//     Plan.qxd: QuarkXPress 2016 (Mac)
//     Story.indd: Adobe InDesign CC 2019
//     Wrong.qxd: Adobe InDesign CS3, extension should be .indd
//     notes.txt: not a layout document
//     gone.qxd: cannot open `gone.qxd' (No such file or directory)
QByteArray IdentifyTextLine(const QByteArray &name, const DocInfo &info,
                            const FileHeadRead &read = {}, bool extMismatch = false);
