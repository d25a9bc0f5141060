// SPDX-License-Identifier: MIT
#pragma once

#include "tool/IdentifyOptions.h"

#include <QVariant>

// Identifies every path of the input (see IdentifyInput) with `jobs` reads in
// flight and writes one line per path to standard output, in input order;
// a file that cannot be read is also named on standard error. `docTypes` is
// the document-type table, loaded before any read starts, since loading it
// is not safe from several threads.
//
// Returns the exit status: 0 when every file was recognised, 1 when some were
// not but all were read, 2 when a file, standard input or the output could
// not be read or written. A write error ends the run at once.
int RunIdentify(const IdentifyOptions &options, const QVariant &docTypes, int standardInput);
