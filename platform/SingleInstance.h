#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>

class QSocketNotifier;

// One Tavo per user session: a later launch hands its documents to the
// running instance through a local socket in the user's runtime folder.
// Plain POSIX sockets: Qt's network module would cost every start more than
// all of this.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // An absent path means the default socket of the user's session.
    explicit SingleInstance(const QString &socketPath = QString(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Hands `documents` to a running instance; true when one took them, in
    // which case this process should exit. Otherwise this process becomes the
    // running instance and listens for later launches.
    bool handOver(const QStringList &documents);

    const QString &socketPath() const { return mPath; }
    bool isListening() const { return mListener >= 0; }

    static QString defaultSocketPath();

Q_SIGNALS:
    // A later launch, with the documents it was given (perhaps none), in order.
    void documentsReceived(const QStringList &documents);

private:
    struct Client {
        QSocketNotifier *notifier = nullptr;
        QByteArray received;
    };
    void listen();
    void acceptConnections();
    void readClient(int fd);
    void dropClient(int fd);

    QString mPath;
    int mListener = -1;
    QSocketNotifier *mListenNotifier = nullptr;
    QHash<int, Client> mClients;
};
