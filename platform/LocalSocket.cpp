// SPDX-License-Identifier: MIT
#include "platform/LocalSocket.h"

#include "platform/FileName.h"

#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

// Between attempts while the listener has yet to appear.
constexpr qint64 kRetryMs = 50;

bool WaitFor(int fd, short events, const QDeadlineTimer &deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, int(deadline.remainingTime()));
        if (n > 0)
            return true; // errors and hang-ups show in the next call
        if (n == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

bool SocketAddress(const QString &path, sockaddr_un *address) {
    const QByteArray native = EncodeFileName(path);
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (native.isEmpty() || native.size() >= qsizetype(sizeof address->sun_path))
        return false;
    std::memcpy(address->sun_path, native.constData(), size_t(native.size()));
    return true;
}

int NewLocalSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

int ConnectBefore(const sockaddr_un &address, const QDeadlineTimer &deadline, QString *why) {
    for (;;) {
        const int fd = NewLocalSocket();
        if (fd < 0) {
            *why = QString::fromLocal8Bit(std::strerror(errno));
            return -1;
        }
        // A local connect blocks while the listen queue is full; the send
        // timeout bounds it (zero would mean no bound at all).
        const qint64 left = std::max<qint64>(deadline.remainingTime(), 1);
        const timeval limit{time_t(left / 1000), suseconds_t(left % 1000 * 1000)};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) == 0)
            return fd;
        const int error = errno;
        ::close(fd);
        const bool waiting = error == EAGAIN || error == EINTR;
        if ((!waiting && error != ECONNREFUSED && error != ENOENT) || deadline.hasExpired()) {
            *why = error == EAGAIN ? QStringLiteral("its socket took no connection in time")
                                   : QString::fromLocal8Bit(std::strerror(error));
            return -1;
        }
        if (!waiting)
            QThread::msleep(quint64(std::min(kRetryMs, deadline.remainingTime())));
    }
}

std::optional<uid_t> PeerUser(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return std::nullopt;
    return credentials.uid;
}

bool SendAll(int fd, const QByteArray &bytes, const QDeadlineTimer &deadline) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && errno == EAGAIN && WaitFor(fd, POLLOUT, deadline))
            continue;
        else
            return false;
    }
    return true;
}

bool ReceiveAll(int fd, char *buffer, qsizetype size, const QDeadlineTimer &deadline) {
    qsizetype done = 0;
    while (done < size) {
        const ssize_t n = ::recv(fd, buffer + done, size_t(size - done), 0);
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && errno == EAGAIN && WaitFor(fd, POLLIN, deadline))
            continue;
        else
            return false;
    }
    return true;
}
