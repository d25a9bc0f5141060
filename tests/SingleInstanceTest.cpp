// SPDX-License-Identifier: MIT
#include "platform/SingleInstance.h"
#include "TestSupport.h"
#include "platform/LocalSocket.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <future>
#include <vector>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using Status = SingleInstance::Status;

sockaddr_un SocketIn(const QString &folder) {
    sockaddr_un address{};
    SocketAddress(folder + "/Tavo.socket", &address);
    return address;
}

// A bare client, by system calls only (children use it too); a positive
// timeout bounds a connect that the listen queue holds up.
int Connect(const sockaddr_un &address, int timeoutMs = 0) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const timeval limit{0, timeoutMs * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}

// A later launch, in a thread of its own: its hand-over waits for this
// thread's event loop, where the first instance answers.
Status Launch(const QString &folder, const QStringList &documents) {
    auto later =
        std::async(std::launch::async, [&] { return SingleInstance(folder).start(documents); });
    while (later.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        QTest::qWait(10);
    return later.get();
}

// Makes the folder (and those above it) with `mode`; answers its mode.
mode_t Folder(const QString &path, mode_t mode = 0) {
    QDir().mkpath(path);
    if (mode)
        ::chmod(QFile::encodeName(path).constData(), mode);
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

TEST(SingleInstanceTest, TheFirstInstanceListensAndLaterOnesHandOver) {
    QTemporaryDir dir;
    // What a crashed instance leaves behind: a bound socket nobody serves.
    const sockaddr_un stale = SocketIn(dir.path());
    const int crashed = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(crashed, reinterpret_cast<const sockaddr *>(&stale), sizeof stale), 0);
    ::close(crashed);
    SingleInstance first(dir.path());
    EXPECT_EQ(first.start({}), Status::Listening);
    EXPECT_EQ(Folder(first.socketPath()) & 077, 0u);
    QSignalSpy received(&first, &SingleInstance::documentsReceived);
    // A client that sends garbage or hangs up half-way is no launch.
    for (const char *hex : {"ffffffff", "00000010616263", "000000040000"}) {
        const QByteArray message = QByteArray::fromHex(hex);
        const int fd = Connect(SocketIn(dir.path()));
        ASSERT_EQ(::write(fd, message.constData(), size_t(message.size())), message.size());
        ::close(fd);
        QTest::qWait(50);
    }
    // Bytes that are not UTF-8 ride in a QString as U+DC80..U+DCFF.
    const QStringList documents = {"/jobs/a.qxd", "/jobs/b c.indd",
                                   QStringLiteral("/jobs/Pl") + QChar(0xDCE4) + "n.qxp"};
    EXPECT_EQ(Launch(dir.path(), documents), Status::HandedOver);
    EXPECT_EQ(Launch(dir.path(), {}), Status::HandedOver);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() >= 2; }, 1000));
    EXPECT_EQ(received.size(), 2);
    EXPECT_EQ(received[0].first().toStringList(), documents);
    EXPECT_EQ(received[1].first().toStringList(), QStringList());
}

// A launch that cannot hand over returns in time (it gives up after 3 s)
// and knows that another instance runs, so it keeps that one's log. Another
// user who could place or replace the socket would receive the documents'
// paths, or keep Tavo from ever starting. Without a runtime folder
// of its own (su, ssh, cron) the socket goes to a folder made for it in the
// temporary folder, never to a shared one.
TEST(SingleInstanceTest, OnlyTheUsersOwnPrivateFolderHoldsTheSocketAndNoLaunchWaitsLong) {
    QTemporaryDir scratch;
    const struct {
        QString folder;
        const char *reason;
    } unreachable[] = {
        {scratch.filePath("full"), "no connection in time"},
        {scratch.filePath(QString(60, 'd') + '/' + QString(60, 'e')), "too long"},
    };
    for (const auto &c : unreachable) {
        Folder(c.folder, 0700);
        SingleInstance first(c.folder);
        first.start({});
        std::vector<int> held;
        for (int fd; c.folder.endsWith("full") && (fd = Connect(SocketIn(c.folder), 100)) >= 0;)
            held.push_back(fd);
        QElapsedTimer clock;
        clock.start();
        SingleInstance second(c.folder);
        EXPECT_EQ(second.start({"/jobs/a.qxd"}), Status::AnotherUnreachable) << c.reason;
        EXPECT_LT(clock.elapsed(), 4500) << c.reason;
        EXPECT_TRUE(second.reason().contains(c.reason)) << second.reason().toStdString();
        for (int fd : held)
            ::close(fd);
    }

    const auto folder = [&](const QString &name, mode_t mode) {
        EXPECT_EQ(Folder(scratch.filePath(name), mode), mode) << name.toStdString();
        return scratch.filePath(name);
    };
    const QString temp = folder("tmp", 0700), runtime = folder("run", 0700);
    const QString shared = folder("shared", 01777), group = folder("group", 0770);
    const QString link = scratch.filePath("link"),
                  own = temp + "/tavo-" + QString::number(::geteuid());
    ASSERT_TRUE(QFile::link(runtime, link));
    ScopedEnv tmpdir("TMPDIR", QFile::encodeName(temp));
    const struct {
        QString runtimeFolder, socketFolder;
    } cases[] = {{shared, own}, {group, own}, {link, own}, {runtime, runtime}};
    for (const auto &c : cases) {
        ScopedEnv env("XDG_RUNTIME_DIR", QFile::encodeName(c.runtimeFolder));
        SingleInstance instance;
        EXPECT_EQ(instance.start({}), Status::Listening) << c.runtimeFolder.toStdString();
        EXPECT_EQ(instance.socketPath(), c.socketFolder + "/Tavo.socket");
        EXPECT_EQ(Folder(c.socketFolder), 0700u);
        EXPECT_EQ(instance.reason().isNull(), c.socketFolder == c.runtimeFolder)
            << instance.reason().toStdString();
        EXPECT_EQ(QFileInfo::exists(c.runtimeFolder + "/Tavo.socket"),
                  c.socketFolder == c.runtimeFolder);
        QDir(own).removeRecursively();
    }
}

// In a child: what `fd` brings within 3 s. 1: bytes; 0: its end; 3: nothing.
int Heard(int fd) {
    char byte;
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 3000) <= 0 ? 3 : ::read(fd, &byte, 1) > 0 ? 1 : 0;
}

// As root a child can become another user: the instance must not take its
// documents.
TEST(SingleInstanceTest, AnotherUserIsNeverTalkedTo) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can become another user to try";
    QTemporaryDir dir;
    const sockaddr_un address = SocketIn(dir.path());
    SingleInstance instance(dir.path());
    ASSERT_EQ(instance.start({}), Status::Listening);
    QSignalSpy received(&instance, &SingleInstance::documentsReceived);
    // Let the stranger reach the socket, as if the folder had leaked.
    ::chmod(QFile::encodeName(dir.path()).constData(), 0711);
    ::chmod(address.sun_path, 0666);
    QByteArray message;
    QDataStream(&message, QIODevice::WriteOnly) << quint32(0) << QStringList{"/home/a.qxd"};
    qToBigEndian(quint32(message.size() - 4), message.data());
    const int intruder = AsNobody([&] {
        const int fd = Connect(address);
        // Refused at once, the message may find the connection closed.
        (void)::send(fd, message.constData(), size_t(message.size()), MSG_NOSIGNAL);
        return fd < 0 ? 77 : Heard(fd);
    });
    if (intruder == 77)
        GTEST_SKIP() << "user nobody cannot be had or cannot reach " << address.sun_path;
    EXPECT_EQ(intruder, 0) << "1: served; 3: left waiting";
    EXPECT_TRUE(received.isEmpty());
}

} // namespace
