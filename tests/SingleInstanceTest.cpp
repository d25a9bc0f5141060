#include "platform/SingleInstance.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstring>
#include <functional>
#include <vector>

#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Readable outcomes in failure messages.
inline void PrintTo(SingleInstance::Status status, std::ostream *out) {
    static const char *const names[] = {"HandedOver", "Listening", "AnotherUnreachable",
                                        "Unavailable"};
    *out << names[int(status)];
}

namespace {

using Status = SingleInstance::Status;

constexpr uid_t kNobody = 65534;
// A launch that cannot hand over gives up after 3 s; this leaves room for a
// loaded machine without letting a hang pass.
constexpr qint64 kBoundMs = 4500;

QString SocketIn(const QString &folder) {
    return folder + QStringLiteral("/Tavo.socket");
}

// A later launch, run in a thread of ours: its hand-over blocks until the
// first instance's event loop answers.
Status LaunchFromAnotherThread(const QString &folder, const QStringList &documents) {
    Status status = Status::Unavailable;
    QThread *later = QThread::create([&] { status = SingleInstance(folder).start(documents); });
    QEventLoop loop;
    QObject::connect(later, &QThread::finished, &loop, &QEventLoop::quit);
    later->start();
    loop.exec();
    later->wait();
    delete later;
    return status;
}

// A bare client; a positive timeout bounds a connect the listen queue holds
// up. System calls only, for children too.
int Connect(const char *path, int timeoutMs = 0) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path, sizeof address.sun_path - 1);
    const timeval limit{0, timeoutMs * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}

int Connect(const QString &path, int timeoutMs = 0) {
    return Connect(QFile::encodeName(path).constData(), timeoutMs);
}

// Makes the folder (and those above it) and gives it `mode`.
QString Folder(const QString &path, mode_t mode) {
    QDir().mkpath(path);
    ::chmod(QFile::encodeName(path).constData(), mode);
    return path;
}

mode_t ModeOf(const QString &path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

// The processor time of the whole process so far.
double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Serve(qint64 ms) {
    QEventLoop loop;
    QTimer::singleShot(std::max<qint64>(ms, 0), &loop, &QEventLoop::quit);
    loop.exec();
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

// Runs `body` in a child process, which may only make system calls.
pid_t InChild(const std::function<int()> &body) {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body());
    return child;
}

// Serves events until the child ends; -1 when it does not end in time.
int ExitStatus(pid_t child) {
    QElapsedTimer clock;
    clock.start();
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (clock.elapsed() > 6000) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return -1;
        }
        Serve(10);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In a child: what `fd` brings within 3 s. 1: bytes; 0: its end; 3: nothing.
int Heard(int fd) {
    char byte;
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 3000) <= 0 ? 3 : ::read(fd, &byte, 1) > 0 ? 1 : 0;
}

constexpr int kCannotBecomeNobody = 77;

bool BecomeNobody() {
    return ::setgroups(0, nullptr) == 0 && ::setresgid(kNobody, kNobody, kNobody) == 0 &&
           ::setresuid(kNobody, kNobody, kNobody) == 0;
}

// A socket bound at `path` that listens to nobody yet.
int BoundSocket(const QString &path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, QFile::encodeName(path).constData());
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}

TEST(SingleInstanceTest, TheFirstInstanceListensAndLaterOnesHandOver) {
    QTemporaryDir dir;
    SingleInstance first(dir.path());
    EXPECT_EQ(first.start({}), Status::Listening);
    EXPECT_TRUE(first.isListening());
    EXPECT_TRUE(first.reason().isNull()) << first.reason().toStdString();
    EXPECT_EQ(ModeOf(SocketIn(dir.path())) & 077, 0u);
    QSignalSpy received(&first, &SingleInstance::documentsReceived);

    // Bytes that are not UTF-8 ride in a QString as U+DC80..U+DCFF.
    const QStringList documents = {"/jobs/a.qxd", "/jobs/b c.indd",
                                   QStringLiteral("/jobs/Pl") + QChar(0xDCE4) + "n.qxp"};
    EXPECT_EQ(LaunchFromAnotherThread(dir.path(), documents), Status::HandedOver);
    EXPECT_EQ(LaunchFromAnotherThread(dir.path(), {}), Status::HandedOver);
    for (int i = 0; i < 50 && received.size() < 2; ++i)
        Serve(20);
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received[0].first().toStringList(), documents);
    EXPECT_EQ(received[1].first().toStringList(), QStringList());
}

TEST(SingleInstanceTest, AStaleSocketDoesNotStopANewInstance) {
    QTemporaryDir dir;
    // What a crashed instance leaves behind: a bound socket nobody serves.
    ::close(BoundSocket(SocketIn(dir.path())));
    SingleInstance instance(dir.path());
    EXPECT_EQ(instance.start({"/x"}), Status::Listening);
    EXPECT_EQ(LaunchFromAnotherThread(dir.path(), {"/y"}), Status::HandedOver);
}

// A client that sends garbage or hangs up half-way costs nothing and is
// not taken for a launch.
TEST(SingleInstanceTest, BrokenMessagesAreDropped) {
    QTemporaryDir dir;
    SingleInstance instance(dir.path());
    ASSERT_EQ(instance.start({}), Status::Listening);
    QSignalSpy received(&instance, &SingleInstance::documentsReceived);
    for (const char *hex : {"ffffffff", "00000010616263", "000000040000"}) {
        const QByteArray message = QByteArray::fromHex(hex);
        const int fd = Connect(SocketIn(dir.path()));
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, message.constData(), size_t(message.size())), message.size());
        ::close(fd);
        Serve(50);
    }
    EXPECT_TRUE(received.isEmpty());
    EXPECT_EQ(LaunchFromAnotherThread(dir.path(), {"/z"}), Status::HandedOver);
}

// Another user who could place or replace the socket would receive the
// documents' paths, or keep Tavo from ever starting.
TEST(SingleInstanceTest, OnlyAPrivateFolderHoldsTheSocket) {
    QTemporaryDir scratch;
    const QString privateFolder = Folder(scratch.filePath("private"), 0700);
    struct Case {
        const char *name;
        std::function<bool(const QString &)> make;
    };
    const auto withMode = [](mode_t mode) {
        return [mode](const QString &path) { return ModeOf(Folder(path, mode)) == mode; };
    };
    const Case cases[] = {
        {"shared", withMode(01777)},
        {"group", withMode(0770)},
        {"link", [&](const QString &path) { return QFile::link(privateFolder, path); }},
        {"stranger",
         [&](const QString &path) {
             return withMode(0700)(path) &&
                    ::chown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0;
         }},
    };
    for (const Case &c : cases) {
        const QString folder = scratch.filePath(c.name);
        if (!c.make(folder)) {
            // Only root can give a folder away.
            EXPECT_TRUE(::geteuid() != 0 && std::strcmp(c.name, "stranger") == 0) << c.name;
            continue;
        }
        SingleInstance instance(folder);
        EXPECT_EQ(instance.start({"/jobs/secret.qxd"}), Status::Unavailable) << c.name;
        EXPECT_TRUE(instance.reason().contains(folder)) << instance.reason().toStdString();
        EXPECT_FALSE(QFileInfo::exists(SocketIn(folder))) << c.name;
    }
    EXPECT_FALSE(QFileInfo::exists(SocketIn(privateFolder)));
}

// Without a runtime folder of its own (su, ssh, cron) the socket goes to a
// folder made for it in the temporary folder, never to a shared one.
TEST(SingleInstanceTest, TheDefaultFolderIsTheUsersOwn) {
    QTemporaryDir scratch;
    const QString temp = Folder(scratch.filePath("tmp"), 0700);
    const QString shared = Folder(scratch.filePath("shared"), 01777);
    const QString runtime = Folder(scratch.filePath("run"), 0700);
    // Longer than a socket address can hold, though private.
    const QString deep = Folder(scratch.filePath(QString(60, 'd') + '/' + QString(60, 'e')), 0700);
    const QString own = temp + "/tavo-" + QString::number(::geteuid());
    ScopedEnv tmpdir("TMPDIR", QFile::encodeName(temp));

    struct Case {
        QString runtimeFolder;
        bool ownIsALink;
        QString socketFolder; // absent: no single instance
    };
    const Case cases[] = {
        {shared, true, QString()},
        {shared, false, own},
        {deep, false, own},
        {runtime, false, runtime},
    };
    for (const Case &c : cases) {
        QFile::remove(own); // a link, never what it leads to
        QDir(own).removeRecursively();
        if (c.ownIsALink) {
            ASSERT_TRUE(QFile::link(runtime, own));
        }
        ScopedEnv env("XDG_RUNTIME_DIR", QFile::encodeName(c.runtimeFolder));
        SingleInstance instance;
        const Status status = instance.start({});
        SCOPED_TRACE(c.runtimeFolder.toStdString() + " -> " + instance.reason().toStdString());
        EXPECT_FALSE(QFileInfo::exists(SocketIn(shared)));
        if (c.socketFolder.isNull()) {
            EXPECT_EQ(status, Status::Unavailable);
            EXPECT_TRUE(instance.reason().contains(shared) && instance.reason().contains(own));
            EXPECT_FALSE(QFileInfo::exists(SocketIn(runtime)));
            continue;
        }
        EXPECT_EQ(status, Status::Listening);
        EXPECT_EQ(instance.socketPath(), SocketIn(c.socketFolder));
        EXPECT_EQ(ModeOf(c.socketFolder), 0700u);
        EXPECT_EQ(instance.reason().isNull(), c.socketFolder == c.runtimeFolder);
    }
}

// As root a child can become another user: the instance must not take its
// documents, and a launch must not hand documents to its listener.
TEST(SingleInstanceTest, AnotherUserIsNeverTalkedTo) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can become another user to try";
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(SocketIn(dir.path()));
    SingleInstance instance(dir.path());
    ASSERT_EQ(instance.start({}), Status::Listening);
    QSignalSpy received(&instance, &SingleInstance::documentsReceived);

    // Let the stranger reach the socket, as if the folder had leaked.
    ::chmod(QFile::encodeName(dir.path()).constData(), 0711);
    ::chmod(path.constData(), 0666);
    const QByteArray message = Message({"/home/victim/a.qxd"});
    const int intruder = ExitStatus(InChild([&] {
        if (!BecomeNobody())
            return kCannotBecomeNobody;
        const int fd = Connect(path.constData());
        if (fd < 0)
            return kCannotBecomeNobody;
        // Refused at once, the message may find the connection closed.
        (void)::send(fd, message.constData(), size_t(message.size()), MSG_NOSIGNAL);
        return Heard(fd);
    }));
    if (intruder == kCannotBecomeNobody)
        GTEST_SKIP() << "user " << kNobody << " cannot be had or cannot reach " << path.data();
    EXPECT_EQ(intruder, 0) << "1: served; 3: left waiting";
    EXPECT_TRUE(received.isEmpty());

    // A stranger's listener in the socket's place; the launch tries again
    // until it listens.
    ::unlink(path.constData());
    const int planted = BoundSocket(QFile::decodeName(path));
    const pid_t planter = InChild([&] {
        if (!BecomeNobody() || ::listen(planted, 4) != 0)
            return kCannotBecomeNobody;
        return Heard(::accept(planted, nullptr, nullptr));
    });
    EXPECT_EQ(SingleInstance(dir.path()).start({"/home/victim/b.qxd"}), Status::AnotherUnreachable);
    ::close(planted);
    EXPECT_EQ(ExitStatus(planter), 0) << "1: the documents went to the stranger";
}

TEST(SingleInstanceTest, AListenerOutOfDescriptorsRestsInsteadOfSpinning) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the sanitizers need free descriptors of their own to check this process";
#endif
    QTemporaryDir dir;
    SingleInstance instance(dir.path());
    ASSERT_EQ(instance.start({}), Status::Listening);
    std::vector<int> waiting;
    for (int i = 0; i < 4; ++i) {
        waiting.push_back(Connect(SocketIn(dir.path())));
        ASSERT_GE(waiting.back(), 0);
    }

    // Out of descriptors while connections wait: every accept fails.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit lowered = saved;
    lowered.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 512);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
    std::vector<int> filler;
    for (int fd; (fd = ::dup(waiting[0])) >= 0;)
        filler.push_back(fd);
    const double before = CpuSeconds();
    Serve(1000);
    const double starved = CpuSeconds() - before;
    for (int fd : filler)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_LT(starved, 0.1) << "the listener spins while it cannot accept";

    for (int fd : waiting)
        ::close(fd);
    EXPECT_EQ(LaunchFromAnotherThread(dir.path(), {"/jobs/a.qxd"}), Status::HandedOver);
}

TEST(SingleInstanceTest, ASwampOfConnectionsNeitherSpinsNorBlocks) {
    QTemporaryDir dir;
    SingleInstance instance(dir.path());
    ASSERT_EQ(instance.start({}), Status::Listening);
    // More idle connections than are served at once: no spinning, and a
    // launch meanwhile gives up in time if it cannot get through.
    std::vector<int> idle;
    for (int i = 0; i < 16; ++i)
        idle.push_back(Connect(SocketIn(dir.path()), 200));
    const double before = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    LaunchFromAnotherThread(dir.path(), {"/jobs/a.qxd"});
    EXPECT_LT(clock.elapsed(), kBoundMs);
    Serve(4000 - clock.elapsed());
    EXPECT_LT(CpuSeconds() - before, 0.3) << "the listener spins while it serves its most";

    // Those served first have been dropped for idling by now.
    for (size_t i = 0; i < 8; ++i) {
        char byte;
        EXPECT_EQ(::recv(idle[i], &byte, 1, MSG_DONTWAIT), 0) << "still open: " << i;
    }
    for (int fd : idle)
        ::close(fd);
    EXPECT_EQ(LaunchFromAnotherThread(dir.path(), {"/jobs/b.qxd"}), Status::HandedOver);
}

// A launch that cannot hand over returns in time and knows that another
// instance runs, so it keeps that one's log.
TEST(SingleInstanceTest, ALaunchThatCannotHandOverSaysAnotherInstanceRuns) {
    using Holdup = std::function<std::vector<int>(const QString &socket)>;
    const Holdup none = [](const QString &) { return std::vector<int>(); };
    const Holdup fillQueue = [](const QString &socket) {
        std::vector<int> held;
        for (int fd; (fd = Connect(socket, 100)) >= 0;)
            held.push_back(fd);
        return held;
    };
    QTemporaryDir scratch;
    const struct {
        QString folder;
        Holdup holdup;
        const char *reason;
    } cases[] = {
        // The first instance is busy and does not serve its socket.
        {scratch.filePath("busy"), none, "did not answer"},
        {scratch.filePath("full"), fillQueue, "no connection in time"},
        {scratch.filePath(QString(60, 'd') + '/' + QString(60, 'e')), none, "too long"},
    };
    for (const auto &c : cases) {
        SingleInstance first(Folder(c.folder, 0700));
        first.start({});
        const std::vector<int> held = c.holdup(SocketIn(c.folder));
        QElapsedTimer clock;
        clock.start();
        SingleInstance second(c.folder);
        EXPECT_EQ(second.start({"/jobs/a.qxd"}), Status::AnotherUnreachable) << c.reason;
        EXPECT_LT(clock.elapsed(), kBoundMs) << c.reason;
        EXPECT_TRUE(second.reason().contains(c.reason)) << second.reason().toStdString();
        for (int fd : held)
            ::close(fd);
    }
}

// The real program, second to an instance that does not answer: it starts
// beside it, and keeps the log the first one writes to.
TEST(SingleInstanceTest, ASecondTavoKeepsTheFirstOnesLog) {
    QTemporaryDir home;
    const QString runtime = Folder(home.filePath("run"), 0700);
    SingleInstance first(runtime);
    ASSERT_EQ(first.start({}), Status::Listening);
    const QString log = home.filePath("Documents/Vellmoran/Tavo.txt");
    ASSERT_TRUE(WriteAll(log, "a line of the first instance\n"));

    QProcess tavo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath(".config"));
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    tavo.setProcessEnvironment(env);
    tavo.setStandardOutputFile(QProcess::nullDevice());
    tavo.setStandardErrorFile(QProcess::nullDevice());
    tavo.start(QStringLiteral(TAVO_BIN_DIR "/tavo"), {});
    ASSERT_TRUE(tavo.waitForStarted());
    // Waiting without the event loop keeps the first instance busy.
    QByteArray written;
    for (int i = 0; i < 300 && !written.contains("could not be reached"); ++i) {
        tavo.waitForFinished(100);
        written = ReadAll(log);
    }
    tavo.kill();
    tavo.waitForFinished();
    EXPECT_TRUE(written.startsWith("a line of the first instance\n")) << written.constData();
    EXPECT_TRUE(written.contains("Single instance: another instance runs but could not be "
                                 "reached (it did not answer within 3 s)"))
        << written.constData();
}

} // namespace
