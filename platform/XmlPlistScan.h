#pragma once

#include <QByteArray>

// libplist frees a parsed list recursively, so an XML property list nested
// deeply enough (some hundred thousand arrays in a few megabytes) overflows
// the stack. True when more than `maxDepth` arrays or dictionaries are open
// at once. The tags are counted as libplist reads them: processing
// instructions, comments, CDATA sections and the DOCTYPE are skipped, and a
// count that errs only ever errs high.
bool XmlPlistNestsDeeperThan(const QByteArray &bytes, int maxDepth);
