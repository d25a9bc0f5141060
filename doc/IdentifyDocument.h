// SPDX-License-Identifier: MIT
#pragma once

#include "doc/DocInfo.h"

#include <QString>
#include <QVariant>

// Identifies the file at `path` from its first 512 bytes: an InDesign document
// by its signature and version bytes, a QuarkXPress document by its first 14
// bytes in the document-type table. Never fails: any problem gives a record
// whose version is 0. Shows nothing and logs nothing.
DocInfo IdentifyDocument(const QString &path);

// The same rules over a head already read, with the table passed in.
// Byte 0 of a head that is not InDesign's is cleared, as in the record.
void IdentifyHeader(DocInfo &info, const QVariant &docTypes);
