#include "platform/SingleInstance.h"

#include <QDataStream>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

constexpr int kTimeoutMs = 3000;
// Enough for tens of thousands of paths; anything larger is not ours.
constexpr qint64 kMaxMessage = 64 * 1024 * 1024;

} // namespace

SingleInstance::SingleInstance(const QString &socketName, QObject *parent)
    : QObject(parent), mName(socketName.isEmpty() ? defaultSocketName() : socketName) {
    connect(&mServer, &QLocalServer::newConnection, this, &SingleInstance::acceptConnection);
}

QString SingleInstance::defaultSocketName() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/Tavo.socket");
}

bool SingleInstance::handOver(const QStringList &documents) {
    QLocalSocket socket;
    socket.connectToServer(mName);
    if (socket.waitForConnected(kTimeoutMs)) {
        QByteArray message;
        QDataStream out(&message, QIODevice::WriteOnly);
        out << documents;
        QDataStream stream(&socket);
        stream << message;
        // Wait for the running instance to confirm, so nothing is lost when
        // this process exits straight away.
        if (socket.waitForBytesWritten(kTimeoutMs) && socket.waitForReadyRead(kTimeoutMs))
            return true;
    }
    // Nobody answered: a socket left by a crashed instance is stale.
    QLocalServer::removeServer(mName);
    mServer.setSocketOptions(QLocalServer::UserAccessOption);
    mServer.listen(mName);
    return false;
}

void SingleInstance::acceptConnection() {
    while (QLocalSocket *socket = mServer.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream in(socket);
            in.startTransaction();
            QByteArray message;
            in >> message;
            if (!in.commitTransaction()) {
                if (socket->bytesAvailable() > kMaxMessage)
                    socket->abort();
                return;
            }
            QStringList documents;
            QDataStream decode(message);
            decode >> documents;
            socket->write("ok");
            socket->flush();
            socket->disconnectFromServer();
            Q_EMIT documentsReceived(documents);
        });
    }
}
