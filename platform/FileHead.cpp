#include "platform/FileHead.h"

#include "platform/FileName.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool ReadFileHead(const QString &path, unsigned char *buffer, std::size_t size) {
    if (path.isEmpty())
        return false;
    // Non-blocking, so that a FIFO or device dragged onto the window cannot
    // stall the event loop; only regular files are read.
    const QByteArray native = EncodeFileName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    std::size_t done = 0;
    while (ok && done < size) {
        const ssize_t n = ::pread(fd, buffer + done, size - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return ok;
}
