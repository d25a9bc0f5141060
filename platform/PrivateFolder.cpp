// SPDX-License-Identifier: MIT
#include "platform/PrivateFolder.h"

#include "platform/FileName.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Problem(const QString &folder, const char *what) {
    return folder + QLatin1String(": ") + QLatin1String(what);
}

} // namespace

QString PrivateFolderProblem(const QString &folder) {
    struct stat info;
    // lstat: a link could lead anywhere, and be turned elsewhere later.
    if (::lstat(EncodeFileName(folder).constData(), &info) != 0)
        return Problem(folder, std::strerror(errno));
    if (S_ISLNK(info.st_mode))
        return Problem(folder, "is a symbolic link");
    if (!S_ISDIR(info.st_mode))
        return Problem(folder, "is not a folder");
    if (info.st_uid != ::geteuid())
        return Problem(folder, "belongs to another user");
    if (info.st_mode & (S_IWGRP | S_IWOTH))
        return Problem(folder, "may be written by other users");
    return QString();
}

QString MakePrivateFolder(const QString &folder) {
    if (::mkdir(EncodeFileName(folder).constData(), 0700) != 0 && errno != EEXIST)
        return Problem(folder, std::strerror(errno));
    return PrivateFolderProblem(folder);
}
