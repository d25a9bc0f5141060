// SPDX-License-Identifier: MIT
#pragma once

#include "doc/DocInfo.h"

#include <QByteArray>

// Whether a file's name misleads about the document in it, as an InDesign
// document named "Plan.qxd" does: the extension (after the last "." of the
// last component, when that is not its first character) compared, ignoring
// case, with those that fit the kind of document. InDesign documents and
// templates fit "indd" and "indt"; a QuarkXPress document ("XDOC") fits
// "qxd" and "qxp", a template ("XTMP") "qxt" and "qpt", each also the
// extension of its own kind ("qwd" for a web document), and one of another
// kind any of these. Only recognised documents whose name has an extension
// are judged.
bool ExtensionMisleads(const QByteArray &name, const DocInfo &info);
