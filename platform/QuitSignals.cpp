// SPDX-License-Identifier: MIT
#include "platform/QuitSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int gPipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

void OnSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    (void)!::write(gPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

QuitSignals::QuitSignals(QObject *parent) : QObject(parent) {
    if (::pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

void QuitSignals::listen() {
    if (gPipe[0] < 0 || mNotifier)
        return;
    mNotifier = new QSocketNotifier(gPipe[0], QSocketNotifier::Read, this);
    connect(mNotifier, &QSocketNotifier::activated, this, &QuitSignals::readSignals);
}

QuitSignals::~QuitSignals() {
    delete mNotifier;
    for (const int signalNumber : kSignals)
        std::signal(signalNumber, SIG_DFL);
    for (int &fd : gPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void QuitSignals::readSignals() {
    unsigned char byte = 0;
    while (::read(gPipe[0], &byte, 1) == 1)
        Q_EMIT quitRequested(byte);
}
