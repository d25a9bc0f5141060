// SPDX-License-Identifier: MIT
#include "platform/SingleInstance.h"

#include "platform/FileName.h"
#include "platform/LocalSocket.h"
#include "platform/PrivateFolder.h"

#include <QDataStream>
#include <QDir>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kSocketName[] = "/Tavo.socket";
constexpr char kLockName[] = "/Tavo.lock";
// The whole hand-over of a later launch: connecting, sending, the answer.
constexpr int kHandOverMs = 3000;
// A launch sends its whole message as soon as it connects; a connection
// still incomplete after this is stuck or hostile.
constexpr int kClientMs = 3000;
// Launches served at once; later ones wait in the listen queue, and beyond
// that in their own connect until their time runs out.
constexpr qsizetype kMaxClients = 8;
constexpr int kBacklog = 16;
// How long the listener rests when it cannot take a connection, for want of
// descriptors or memory; trying again at once would only spin.
constexpr int kPauseMs = 250;
// Enough for tens of thousands of paths; anything larger is not ours.
constexpr quint32 kMaxMessage = 64u * 1024 * 1024;
constexpr char kAnswer[] = "ok";
constexpr qsizetype kAnswerSize = sizeof kAnswer - 1;

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The private folder for the socket and the lock.
struct Place {
    QString folder; // absent when no folder passed as private
    bool socketFits = false;
    QStringList passedOver; // what was wrong with the folders not taken
};

Place ChoosePlace(const QString &requested) {
    Place place;
    const auto consider = [&place](const QString &folder, bool create) {
        const QString problem = create ? MakePrivateFolder(folder) : PrivateFolderProblem(folder);
        if (!problem.isNull()) {
            place.passedOver << problem;
            return false;
        }
        sockaddr_un address;
        if (SocketAddress(folder + QLatin1String(kSocketName), &address)) {
            place.folder = folder;
            place.socketFits = true;
            return true;
        }
        place.passedOver << folder + QLatin1String(": too long a path for a socket");
        // The lock works at any length: it still tells instances apart.
        if (place.folder.isEmpty())
            place.folder = folder;
        return false;
    };
    if (!requested.isEmpty()) {
        consider(requested, false);
        return place;
    }
    const QString runtime = DecodeFileName(qgetenv("XDG_RUNTIME_DIR"));
    if (runtime.isEmpty())
        place.passedOver << QStringLiteral("XDG_RUNTIME_DIR is not set");
    else if (!QDir::isAbsolutePath(runtime))
        place.passedOver << QStringLiteral("XDG_RUNTIME_DIR is not an absolute path");
    else if (consider(runtime, false))
        return place;
    // TMPDIR by its bytes, as the runtime folder.
    const QString temp = DecodeFileName(qgetenv("TMPDIR"));
    consider((QDir::isAbsolutePath(temp) ? QDir::cleanPath(temp) : QStringLiteral("/tmp")) +
                 QLatin1String("/tavo-") + QString::number(::geteuid()),
             true);
    return place;
}

QByteArray Message(const QStringList &documents) {
    QByteArray payload;
    QDataStream payloadStream(&payload, QIODevice::WriteOnly);
    payloadStream << documents;
    QByteArray message;
    QDataStream messageStream(&message, QIODevice::WriteOnly);
    messageStream << quint32(payload.size());
    return message + payload;
}

} // namespace

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent), mFolder(folder) {}

SingleInstance::~SingleInstance() {
    for (auto it = mClients.constBegin(); it != mClients.constEnd(); ++it)
        ::close(it.key());
    if (mListener >= 0) {
        ::close(mListener);
        ::unlink(EncodeFileName(mPath).constData());
    }
    // Only now: a successor that takes the lock must not lose its socket to us.
    if (mLock >= 0)
        ::close(mLock);
}

SingleInstance::Status SingleInstance::start(const QStringList &documents) {
    const Place place = ChoosePlace(mFolder);
    const QString passedOver = place.passedOver.join(QLatin1String("; "));
    if (place.folder.isEmpty())
        return unavailable(QStringLiteral("no private folder for its socket (%1)").arg(passedOver));
    mPath = place.folder + QLatin1String(kSocketName);
    const QString lockPath = place.folder + QLatin1String(kLockName);
    mLock = ::open(EncodeFileName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
                   0600);
    if (mLock < 0)
        return unavailable(lockPath + QLatin1String(": ") + ErrnoText(errno));

    if (::flock(mLock, LOCK_EX | LOCK_NB) == 0) {
        // The lock stays taken even when the socket fails, so that later
        // launches know this instance runs.
        if (!place.socketFits)
            return unavailable(passedOver);
        QString why;
        if (!listen(&why))
            return unavailable(mPath + QLatin1String(": ") + why);
        if (!passedOver.isEmpty())
            mReason = QStringLiteral("the socket lies in %1 (passed over: %2)")
                          .arg(place.folder, passedOver);
        return Status::Listening;
    }
    const int lockError = errno;
    ::close(mLock);
    mLock = -1;
    if (lockError != EWOULDBLOCK)
        return unavailable(lockPath + QLatin1String(": ") + ErrnoText(lockError));

    QString why = passedOver;
    if (place.socketFits && handOver(documents, &why))
        return Status::HandedOver;
    mReason = QStringLiteral("another instance runs but could not be reached (%1); this one runs "
                             "beside it")
                  .arg(why);
    return Status::AnotherUnreachable;
}

SingleInstance::Status SingleInstance::unavailable(const QString &why) {
    mReason = QStringLiteral("running without a single instance: ") + why;
    return Status::Unavailable;
}

bool SingleInstance::handOver(const QStringList &documents, QString *why) const {
    sockaddr_un address;
    SocketAddress(mPath, &address);
    const QDeadlineTimer deadline(kHandOverMs);
    const int fd = ConnectBefore(address, deadline, why);
    if (fd < 0)
        return false;
    bool confirmed = false;
    const std::optional<uid_t> peer = PeerUser(fd);
    if (peer != ::geteuid()) {
        *why = peer ? QStringLiteral("its socket is served by user %1").arg(*peer)
                    : QStringLiteral("its socket's user is unknown");
    } else {
        // Wait for the running instance to confirm, so nothing is lost when
        // this process exits straight away.
        char answer[kAnswerSize] = {};
        confirmed = SendAll(fd, Message(documents), deadline) &&
                    ReceiveAll(fd, answer, kAnswerSize, deadline) &&
                    std::memcmp(answer, kAnswer, kAnswerSize) == 0;
        if (!confirmed)
            *why = deadline.hasExpired()
                       ? QStringLiteral("it did not answer within %1 s").arg(kHandOverMs / 1000)
                       : QStringLiteral("it broke off the connection");
    }
    ::close(fd);
    return confirmed;
}

bool SingleInstance::listen(QString *why) {
    sockaddr_un address;
    SocketAddress(mPath, &address);
    // The lock is ours: a socket left here is that of an instance that ended.
    ::unlink(address.sun_path);
    mListener = NewLocalSocket();
    if (mListener < 0) {
        *why = ErrnoText(errno);
        return false;
    }
    const mode_t oldMask = ::umask(077);
    const bool bound =
        ::bind(mListener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::umask(oldMask);
    if (!bound || ::listen(mListener, kBacklog) != 0 ||
        ::fcntl(mListener, F_SETFL, ::fcntl(mListener, F_GETFL) | O_NONBLOCK) != 0) {
        *why = ErrnoText(errno);
        ::close(mListener);
        mListener = -1;
        return false;
    }
    mListenNotifier = new QSocketNotifier(mListener, QSocketNotifier::Read, this);
    connect(mListenNotifier, &QSocketNotifier::activated, this, &SingleInstance::acceptConnections);
    return true;
}

void SingleInstance::acceptConnections() {
    while (mClients.size() < kMaxClients) {
        const int fd = ::accept4(mListener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0 && (errno == EINTR || errno == ECONNABORTED))
            continue;
        if (fd < 0) {
            if (errno != EAGAIN)
                pauseListening();
            break;
        }
        if (PeerUser(fd) != ::geteuid()) {
            ::close(fd);
            continue;
        }
        auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, fd] { readClient(fd); });
        // Gone with the notifier; the check keeps a reused descriptor safe.
        QTimer::singleShot(kClientMs, notifier, [this, fd, notifier] {
            if (mClients.value(fd).notifier == notifier)
                dropClient(fd);
        });
        mClients.insert(fd, Client{notifier, {}});
    }
    updateListening();
}

void SingleInstance::pauseListening() {
    mPaused = true;
    QTimer::singleShot(kPauseMs, this, [this] {
        mPaused = false;
        updateListening();
    });
}

void SingleInstance::updateListening() {
    if (mListenNotifier)
        mListenNotifier->setEnabled(!mPaused && mClients.size() < kMaxClients);
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
            if (received.size() > qsizetype(4 + kMaxMessage)) {
                dropClient(fd);
                return;
            }
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
    // The launch sent everything and waits only for this: its queue has room.
    if (whole)
        ::send(fd, kAnswer, kAnswerSize, MSG_NOSIGNAL | MSG_DONTWAIT);
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
    updateListening();
}
