// SPDX-License-Identifier: MIT
// Linked into a program under measurement: reports, on standard output, the
// monotonic clock when the program's first window is exposed, and after two
// idle seconds its memory, then quits the program.

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <ctime>

namespace {

long long MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// "VmRSS" of /proc/self/status or "Pss" of smaps_rollup, in kB.
long long ProcField(const char *file, const QByteArray &field) {
    QFile f(QString::fromLatin1(file));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

class Probe : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (!mShown && event->type() == QEvent::Expose) {
            auto *window = qobject_cast<QWindow *>(watched);
            if (window && window->isExposed()) {
                mShown = true;
                std::printf("shown %lld\n", MonotonicNs());
                std::fflush(stdout);
                QTimer::singleShot(2000, qApp, [] {
                    std::printf("rss_kb %lld\npss_kb %lld\n", ProcField("/proc/self/status", "VmRSS"),
                                ProcField("/proc/self/smaps_rollup", "Pss"));
                    std::fflush(stdout);
                    QCoreApplication::quit();
                });
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool mShown = false;
};

void InstallProbe() {
    qApp->installEventFilter(new Probe(qApp));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
