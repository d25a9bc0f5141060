#include "platform/SingleInstance.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kTimeoutMs = 3000;
// Enough for tens of thousands of paths; anything larger is not ours.
constexpr quint32 kMaxMessage = 64u * 1024 * 1024;
constexpr char kAnswer[] = "ok";

bool SocketAddress(const QString &path, sockaddr_un *address) {
    const QByteArray native = QFile::encodeName(path);
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (native.isEmpty() || native.size() >= qsizetype(sizeof address->sun_path))
        return false;
    std::memcpy(address->sun_path, native.constData(), size_t(native.size()));
    return true;
}

int NewSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
}

bool WaitFor(int fd, short events) {
    pollfd p{fd, events, 0};
    int n;
    do {
        n = ::poll(&p, 1, kTimeoutMs);
    } while (n < 0 && errno == EINTR);
    return n > 0 && (p.revents & events);
}

bool WriteAll(int fd, const QByteArray &bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN && WaitFor(fd, POLLOUT))
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

SingleInstance::SingleInstance(const QString &socketPath, QObject *parent)
    : QObject(parent), mPath(socketPath.isEmpty() ? defaultSocketPath() : socketPath) {}

SingleInstance::~SingleInstance() {
    for (auto it = mClients.constBegin(); it != mClients.constEnd(); ++it)
        ::close(it.key());
    if (mListener >= 0) {
        ::close(mListener);
        QFile::remove(mPath);
    }
}

QString SingleInstance::defaultSocketPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/Tavo.socket");
}

bool SingleInstance::handOver(const QStringList &documents) {
    sockaddr_un address;
    if (SocketAddress(mPath, &address)) {
        const int fd = NewSocket();
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
            QByteArray payload;
            QDataStream payloadStream(&payload, QIODevice::WriteOnly);
            payloadStream << documents;
            QByteArray message;
            QDataStream messageStream(&message, QIODevice::WriteOnly);
            messageStream << quint32(payload.size());
            message += payload;
            char answer[sizeof kAnswer - 1] = {};
            // Wait for the running instance to confirm, so nothing is lost
            // when this process exits straight away.
            const bool confirmed =
                WriteAll(fd, message) && WaitFor(fd, POLLIN) &&
                ::recv(fd, answer, sizeof answer, MSG_WAITALL) == sizeof answer &&
                std::memcmp(answer, kAnswer, sizeof answer) == 0;
            ::close(fd);
            if (confirmed)
                return true;
        } else if (fd >= 0) {
            ::close(fd);
        }
    }
    listen();
    return false;
}

void SingleInstance::listen() {
    sockaddr_un address;
    if (!SocketAddress(mPath, &address))
        return;
    // Nobody answered: a socket left by a crashed instance is stale.
    ::unlink(address.sun_path);
    mListener = NewSocket();
    if (mListener < 0)
        return;
    // Only the user may hand documents over, wherever the socket lies.
    const mode_t oldMask = ::umask(077);
    const bool bound =
        ::bind(mListener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::umask(oldMask);
    if (!bound || ::listen(mListener, 16) != 0 ||
        ::fcntl(mListener, F_SETFL, ::fcntl(mListener, F_GETFL) | O_NONBLOCK) != 0) {
        ::close(mListener);
        mListener = -1;
        return;
    }
    mListenNotifier = new QSocketNotifier(mListener, QSocketNotifier::Read, this);
    connect(mListenNotifier, &QSocketNotifier::activated, this, &SingleInstance::acceptConnections);
}

void SingleInstance::acceptConnections() {
    for (;;) {
        const int fd = ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { readClient(fd); });
        mClients.insert(fd, Client{notifier, {}});
    }
}

void SingleInstance::readClient(int fd) {
    const auto found = mClients.find(fd);
    if (found == mClients.end())
        return;
    QByteArray &received = found->received;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            received.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            break;
        dropClient(fd); // closed or failed before the message was whole
        return;
    }
    if (received.size() < 4)
        return;
    quint32 length = 0;
    QDataStream header(received);
    header >> length;
    if (length > kMaxMessage) {
        dropClient(fd);
        return;
    }
    if (received.size() < qsizetype(4 + length))
        return;
    QStringList documents;
    QDataStream in(received.mid(4, length));
    in >> documents;
    const bool whole = in.status() == QDataStream::Ok;
    if (whole)
        WriteAll(fd, QByteArray(kAnswer, sizeof kAnswer - 1));
    dropClient(fd);
    if (whole)
        Q_EMIT documentsReceived(documents);
}

void SingleInstance::dropClient(int fd) {
    const Client client = mClients.take(fd);
    if (!client.notifier)
        return;
    // Called from the notifier's own signal: it goes once that returns.
    client.notifier->setEnabled(false);
    client.notifier->deleteLater();
    ::close(fd);
}
