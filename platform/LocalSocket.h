// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <optional>
#include <sys/types.h>
#include <sys/un.h>

// Plain local (AF_UNIX) stream sockets, every wait bounded by a deadline.

// False when `path` is empty or too long for a socket address.
bool SocketAddress(const QString &path, sockaddr_un *address);
// A blocking stream socket, closed on exec; -1 on failure.
int NewLocalSocket();

// Connects to `address`, trying again while nothing listens there yet or its
// listen queue is full, until `deadline`. A non-blocking socket, or -1 with
// the reason in `why`.
int ConnectBefore(const sockaddr_un &address, const QDeadlineTimer &deadline, QString *why);

// The user of the process at the other end, as it was when it connected or
// began to listen.
std::optional<uid_t> PeerUser(int fd);

// On a non-blocking socket: all of `bytes`, or all of `size` bytes, before
// the deadline; false on failure, end of stream or the deadline.
bool SendAll(int fd, const QByteArray &bytes, const QDeadlineTimer &deadline);
bool ReceiveAll(int fd, char *buffer, qsizetype size, const QDeadlineTimer &deadline);
