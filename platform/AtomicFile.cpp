// SPDX-License-Identifier: MIT
#include "platform/AtomicFile.h"

#include "platform/FileName.h"
#include "platform/Ownership.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the kernel itself follows before it gives up.
constexpr int kMaxLinkHops = 40;
constexpr qsizetype kMaxNameBytes = NAME_MAX;

bool Fail(QString *error, const QString &why) {
    if (error)
        *error = why;
    return false;
}

QString Shown(const QByteArray &native) {
    return DecodeFileName(native);
}

// Follows the links at `path` to the name the bytes must land on.
bool FollowLinks(QByteArray *path, QString *error) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path->constData(), &info) != 0) {
            // Nothing there yet: the file is created (in a folder that must exist).
            if (errno == ENOENT)
                return true;
            return Fail(error, QStringLiteral("%1: %2").arg(Shown(*path), qt_error_string(errno)));
        }
        if (!S_ISLNK(info.st_mode))
            return true;
        if (const QString problem = ForeignOwnerProblem(info, Shown(*path)); !problem.isEmpty())
            return Fail(error, problem);
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t n = ::readlink(path->constData(), target.data(), size_t(target.size()));
        if (n < 0 || n >= target.size())
            return Fail(error, QStringLiteral("%1: %2").arg(
                                   Shown(*path), qt_error_string(n < 0 ? errno : ENAMETOOLONG)));
        target.truncate(n);
        // A relative link is relative to the folder that holds it.
        const qsizetype slash = path->lastIndexOf('/');
        if (!target.startsWith('/') && slash >= 0)
            target.prepend(path->left(slash + 1));
        *path = target;
    }
    return Fail(error, QStringLiteral("%1: %2").arg(Shown(*path), qt_error_string(ELOOP)));
}

QByteArray RandomSuffix() {
    static constexpr char kChars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(6, Qt::Uninitialized);
    for (char &c : suffix)
        c = kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))];
    return suffix;
}

bool WriteAll(int fd, const QByteArray &bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done,
                                  size_t(std::min<qsizetype>(bytes.size() - done, 1 << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

enum class Mode { Replace, Create };

bool Write(const QByteArray &path, const QByteArray &bytes, Mode mode, QString *error) {
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray name = path.mid(slash + 1);
    const QByteArray folderPath =
        slash < 0 ? QByteArray(".") : path.left(std::max<qsizetype>(slash, 1));
    if (name.isEmpty() || name == "." || name == "..")
        return Fail(error, QStringLiteral("%1 names no file").arg(Shown(path)));

    if (const QString problem = ForeignLinkOnPath(folderPath); !problem.isEmpty())
        return Fail(error, problem);
    // Everything below happens in this one folder, even should its path be
    // renamed meanwhile.
    const int folder = ::open(folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return Fail(error, QStringLiteral("%1: %2").arg(Shown(folderPath), qt_error_string(errno)));
    const auto closeFolder = qScopeGuard([folder] { ::close(folder); });
    struct stat folderInfo {};
    if (::fstat(folder, &folderInfo) != 0)
        return Fail(error, QStringLiteral("%1: %2").arg(Shown(folderPath), qt_error_string(errno)));
    if (const QString problem = ForeignOwnerProblem(folderInfo, Shown(folderPath));
        !problem.isEmpty())
        return Fail(error, problem);

    struct stat old {};
    const bool exists = ::fstatat(folder, name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return Fail(error, QStringLiteral("%1: %2").arg(Shown(path), qt_error_string(errno)));
    if (exists && mode == Mode::Create)
        return Fail(error, QStringLiteral("%1: %2").arg(Shown(path), qt_error_string(EEXIST)));
    if (exists && !S_ISREG(old.st_mode))
        return Fail(error, QStringLiteral("%1 is not a regular file").arg(Shown(path)));
    // A file its user made read-only (to lock it) is not replaced, though the
    // folder would allow the rename; nor is one that only root's privilege
    // would let it write.
    if (exists &&
        (::faccessat(folder, name.constData(), W_OK, AT_EACCESS) != 0 || (old.st_mode & 0222) == 0))
        return Fail(
            error,
            QStringLiteral("%1 may not be written, so it is left as it is").arg(Shown(path)));

    // A kept copy may hold what its owner kept private, so it is the owner's
    // alone; a new file otherwise is as a new file usually is.
    const mode_t permissions = exists ? (old.st_mode & 0777) : mode == Mode::Create ? 0600 : 0644;
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = name.left(kMaxNameBytes - 7) + '.' + RandomSuffix();
        fd = ::openat(folder, temporary.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, permissions);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return Fail(error, QStringLiteral("Cannot create a file in %1: %2")
                               .arg(Shown(folderPath), qt_error_string(errno)));

    const auto discard = [&](int code) {
        ::unlinkat(folder, temporary.constData(), 0);
        return Fail(error, qt_error_string(code));
    };
    if (exists) {
        // Root saving a user's file leaves it the user's. Anyone else may not
        // give a file away, and the new file stays theirs, as a copy would.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        }
        // The umask may have taken bits away when the file was made.
        if (::fchmod(fd, permissions) != 0) {
            const int code = errno;
            ::close(fd);
            return discard(code);
        }
    }
    // A full disk shows here, in the flush or in the close (on network file
    // systems); each is checked, as a file cut short must never take the name.
    if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        return discard(code);
    }
    if (::close(fd) != 0)
        return discard(errno);

    if (mode == Mode::Replace) {
        if (::renameat(folder, temporary.constData(), folder, name.constData()) != 0)
            return discard(errno);
    } else if (::renameat2(folder, temporary.constData(), folder, name.constData(),
                           RENAME_NOREPLACE) != 0) {
        // File systems without that flag (NFS among them) still create a hard
        // link only where no name is.
        if ((errno != EINVAL && errno != ENOSYS) ||
            ::linkat(folder, temporary.constData(), folder, name.constData(), 0) != 0)
            return discard(errno);
        ::unlinkat(folder, temporary.constData(), 0);
    }
    // The new name reaches the disk with its folder. Should that fail, the
    // name may yet fall back to the old file after a crash, which is whole too.
    ::fsync(folder);
    return true;
}

} // namespace

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error) {
    if (path.isEmpty())
        return Fail(error, QStringLiteral("No file name"));
    QByteArray target = EncodeFileName(path);
    return FollowLinks(&target, error) && Write(target, bytes, Mode::Replace, error);
}

bool CreateFileAtomically(const QString &path, const QByteArray &bytes, QString *error) {
    if (path.isEmpty())
        return Fail(error, QStringLiteral("No file name"));
    return Write(EncodeFileName(path), bytes, Mode::Create, error);
}
