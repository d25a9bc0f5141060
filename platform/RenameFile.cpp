// SPDX-License-Identifier: MIT
#include "platform/RenameFile.h"

#include "platform/FileName.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What a file system answers for a flag of rename it does not know.
bool IsUnknownRenameFlag(int error) {
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

bool SameFile(const char *path, const struct stat &file) {
    struct stat now {};
    return ::lstat(path, &now) == 0 && now.st_dev == file.st_dev && now.st_ino == file.st_ino;
}

// After the new name is a hard link: the old name goes, or, should it stay,
// the new one, so that the file keeps one name.
NameChange DropOldName(const char *from, const char *to, const struct stat &file) {
    if (::unlink(from) == 0)
        return {};
    const int error = errno;
    if (SameFile(to, file))
        ::unlink(to);
    return {error, 0};
}

} // namespace

NameChange MoveWithoutReplacing(const QString &from, const QString &to) {
    const QByteArray source = EncodeFileName(from);
    const QByteArray target = EncodeFileName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return {};
    const int renameError = errno;
    if (!IsUnknownRenameFlag(renameError))
        return {renameError, 0};
    struct stat file {};
    if (::lstat(source.constData(), &file) != 0)
        return {errno, 0};
    if (::link(source.constData(), target.constData()) == 0)
        return DropOldName(source.constData(), target.constData(), file);
    const int linkError = errno;
    // NFS may answer a retried link that it has made with EEXIST.
    if (linkError == EEXIST && SameFile(target.constData(), file))
        return DropOldName(source.constData(), target.constData(), file);
    if (linkError == EEXIST)
        return {EEXIST, 0};
    return {renameError, linkError};
}
