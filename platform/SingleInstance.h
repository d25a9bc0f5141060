// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>

class QSocketNotifier;

// One Tavo per user session: a later launch hands its documents to the
// running instance through a local socket. The socket and a lock file lie in
// a folder only the user can change, and both ends talk only to a peer of
// their own user. The running instance holds the lock for its whole life, so
// a launch that cannot reach it still knows that it runs.
// Plain POSIX sockets: Qt's network module would cost every start more than
// all of this.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Status {
        HandedOver,         // the running instance took the documents: exit
        Listening,          // this is the one instance and serves later launches
        AnotherUnreachable, // another instance runs but took nothing; run beside it
        Unavailable,        // no single instance at all (no private folder, ...)
    };

    // An absent folder means the user's runtime folder, or failing that a
    // private folder of the user's own in the temporary folder. A folder
    // given is used as it is, if it passes as private.
    explicit SingleInstance(const QString &folder = QString(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Hands `documents` to the running instance, or becomes it. Waits at most
    // a few seconds for an instance that does not answer.
    Status start(const QStringList &documents);

    // Why this process runs without serving or reaching the single instance,
    // or which folders were passed over for the socket; null when all is well.
    const QString &reason() const { return mReason; }
    // The socket's path once `start` has found a folder for it.
    const QString &socketPath() const { return mPath; }
    bool isListening() const { return mListener >= 0; }

Q_SIGNALS:
    // A later launch, with the documents it was given (perhaps none), in order.
    void documentsReceived(const QStringList &documents);

private:
    struct Client {
        QSocketNotifier *notifier = nullptr;
        QByteArray received;
    };
    Status unavailable(const QString &why);
    bool handOver(const QStringList &documents, QString *why) const;
    bool listen(QString *why);
    void acceptConnections();
    void pauseListening();
    void updateListening();
    void readClient(int fd);
    void dropClient(int fd);

    QString mFolder;
    QString mPath;
    QString mReason;
    int mLock = -1;
    int mListener = -1;
    bool mPaused = false;
    QSocketNotifier *mListenNotifier = nullptr;
    QHash<int, Client> mClients;
};
