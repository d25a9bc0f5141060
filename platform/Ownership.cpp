// SPDX-License-Identifier: MIT
#include "platform/Ownership.h"

#include "platform/FileName.h"

#include <unistd.h>

QString ForeignOwnerProblem(const struct stat &info, const QString &shown) {
    if (info.st_uid == ::geteuid() || info.st_uid == 0)
        return {};
    return QStringLiteral("%1 belongs to user %2, not to the user Tavo runs as (%3)")
        .arg(shown)
        .arg(info.st_uid)
        .arg(::geteuid());
}

QString ForeignLinkOnPath(const QByteArray &native) {
    for (qsizetype end = native.indexOf('/', 1);; end = native.indexOf('/', end + 1)) {
        const QByteArray prefix = end < 0 ? native : native.left(end);
        struct stat info {};
        if (!prefix.isEmpty() && ::lstat(prefix.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
            const QString problem = ForeignOwnerProblem(info, DecodeFileName(prefix));
            if (!problem.isEmpty())
                return problem;
        }
        if (end < 0)
            return {};
    }
}
