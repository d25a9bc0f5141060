// SPDX-License-Identifier: MIT
#include "platform/RegularFile.h"

#include "platform/FileName.h"

#include <QScopeGuard>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::optional<QByteArray> Fail(QString *error, const QString &why) {
    if (error)
        *error = why;
    return std::nullopt;
}

} // namespace

std::optional<QByteArray> ReadRegularFile(const QString &path, qint64 maxBytes, QString *error) {
    if (path.isEmpty())
        return Fail(error, QStringLiteral("No file name"));
    const QByteArray native = EncodeFileName(path);
    // Looked at before it is opened, since opening some devices already
    // does something; then checked again on what was opened, which is what
    // counts should the name have changed in between.
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        return Fail(error, qt_error_string(errno));
    if (!S_ISREG(info.st_mode))
        return Fail(error, QStringLiteral("Not a regular file"));
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Fail(error, qt_error_string(errno));
    const auto closing = qScopeGuard([fd] { ::close(fd); });
    if (::fstat(fd, &info) != 0)
        return Fail(error, qt_error_string(errno));
    if (!S_ISREG(info.st_mode))
        return Fail(error, QStringLiteral("Not a regular file"));
    const auto tooLarge = [&] {
        return Fail(error, QStringLiteral("It holds more than %1 bytes").arg(maxBytes));
    };
    if (info.st_size > maxBytes)
        return tooLarge();

    // The size is only a hint: the file may grow or shrink while it is read.
    QByteArray bytes(qsizetype(info.st_size) + 1, Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == bytes.size()) {
            if (used > maxBytes)
                return tooLarge();
            bytes.resize(qsizetype(std::min<qint64>(qint64(used) * 2, maxBytes + 1)));
        }
        const ssize_t n = ::read(fd, bytes.data() + used, size_t(bytes.size() - used));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Fail(error, qt_error_string(errno));
        if (n == 0)
            break;
        used += n;
    }
    if (used > maxBytes)
        return tooLarge();
    bytes.truncate(used);
    return bytes;
}
