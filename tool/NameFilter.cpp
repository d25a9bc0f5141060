// SPDX-License-Identifier: MIT
#include "tool/NameFilter.h"

#include <fnmatch.h>

bool NameFilter::excludes(const QByteArray &name) const {
    if (mPatterns.isEmpty())
        return false;
    qsizetype end = name.size();
    while (end > 1 && name[end - 1] == '/')
        --end;
    const qsizetype start = name.lastIndexOf('/', end - 1) + 1;
    const QByteArray last = name.mid(start, end - start);
    if (last.isEmpty() || last == "." || last == "..")
        return false;
    for (const QByteArray &pattern : mPatterns) {
        if (::fnmatch(pattern.constData(), last.constData(), 0) == 0)
            return true;
    }
    return false;
}
