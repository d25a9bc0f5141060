#pragma once

#include <QLocalServer>
#include <QObject>
#include <QStringList>

// One Tavo per user session: a later launch hands its documents to the
// running instance through a local socket in the user's runtime folder.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // An absent name means the default socket of the user's session.
    explicit SingleInstance(const QString &socketName = QString(), QObject *parent = nullptr);

    // Hands `documents` to a running instance; true when one took them, in
    // which case this process should exit. Otherwise this process becomes the
    // running instance and listens for later launches.
    bool handOver(const QStringList &documents);

    const QString &socketName() const { return mName; }

    static QString defaultSocketName();

Q_SIGNALS:
    // A later launch, with the documents it was given (perhaps none), in order.
    void documentsReceived(const QStringList &documents);

private:
    void acceptConnection();

    QString mName;
    QLocalServer mServer;
};
