// SPDX-License-Identifier: MIT
#include "platform/FileHead.h"

#include "platform/FileName.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// strerror_r answers with its text (GNU) or fills the buffer (POSIX),
// depending on the C library; strerror itself may share one buffer between
// threads, and heads are read on several.
[[maybe_unused]] const char *ErrorTextOf(const char *answer, const char *) {
    return answer;
}
[[maybe_unused]] const char *ErrorTextOf(int, const char *buffer) {
    return buffer;
}

// 0 for a regular file, else why it is not read.
int KindError(const struct stat &st) {
    if (S_ISREG(st.st_mode))
        return 0;
    return S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
}

} // namespace

FileHeadRead ReadFileHeadBytes(const QByteArray &native, unsigned char *buffer, std::size_t size) {
    FileHeadRead result;
    // A name with a NUL in it (a line of standard input, say) would be cut
    // short by open() and so name another file.
    if (native.contains('\0')) {
        result.error = EINVAL;
        return result;
    }
    // Looked at before it is opened: opening a device already does
    // something (a tape rewinds, a watchdog starts), and opening a FIFO lets
    // a writer that waits for a reader go on into a pipe nobody reads.
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        result.error = errno;
        return result;
    }
    if ((result.error = KindError(st)) != 0)
        return result;
    // Non-blocking, and checked again on what was opened, should the name
    // have been given to a FIFO or a device in between.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    if (::fstat(fd, &st) != 0)
        result.error = errno;
    else
        result.error = KindError(st);
    while (result.ok() && result.length < size) {
        const ssize_t n = ::pread(fd, buffer + result.length, size - result.length,
                                  static_cast<off_t>(result.length));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            result.error = errno;
        else if (n == 0)
            break;
        else
            result.length += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return result;
}

QByteArray FileHeadErrorText(int error) {
    if (error == kNotRegularFile)
        return QByteArrayLiteral("not a regular file");
    char buffer[256] = {};
    return QByteArray(ErrorTextOf(strerror_r(error, buffer, sizeof buffer), buffer));
}

bool ReadFileHead(const QString &path, unsigned char *buffer, std::size_t size) {
    if (path.isEmpty())
        return false;
    const FileHeadRead read = ReadFileHeadBytes(EncodeFileName(path), buffer, size);
    return read.ok() && read.length == size;
}
