// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QSocketNotifier;

// The ways a session ends a program other than its Quit item: SIGTERM (a
// logout, a shutdown, kill), SIGHUP (the terminal went away) and SIGINT
// (Ctrl+C). Each becomes a Qt signal on the main thread, where the program
// can run its quitting steps; the handler itself only writes a byte to a
// pipe, which is all a signal handler may safely do. One object per process.
//
// The handlers stand from construction, which needs no Qt, so that a signal
// that comes while the program is still starting is kept in the pipe rather
// than ending it on the spot; listen() (once the application object exists)
// turns what the pipe holds into quitRequested in the event loop.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

    void listen();

Q_SIGNALS:
    void quitRequested(int signalNumber);

private:
    void readSignals();

    QSocketNotifier *mNotifier = nullptr;
};
