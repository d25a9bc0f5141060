#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

// A later launch, run in a thread of ours: its hand-over blocks until the
// first instance's event loop answers.
bool HandOverFromAnotherLaunch(const QString &path, const QStringList &documents) {
    bool handedOver = false;
    QThread *later =
        QThread::create([&] { handedOver = SingleInstance(path).handOver(documents); });
    later->start();
    while (!later->isFinished())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    later->wait();
    delete later;
    return handedOver;
}

TEST(SingleInstanceTest, TheFirstInstanceListensAndLaterOnesHandOver) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tavo.socket");
    SingleInstance first(path);
    EXPECT_FALSE(first.handOver({}));
    EXPECT_TRUE(first.isListening());
    EXPECT_EQ(QFileInfo(path).permissions() & (QFile::ReadOther | QFile::WriteOther), 0);
    QSignalSpy received(&first, &SingleInstance::documentsReceived);

    EXPECT_TRUE(HandOverFromAnotherLaunch(path, {"/jobs/a.qxd", "/jobs/b c.indd"}));
    EXPECT_TRUE(HandOverFromAnotherLaunch(path, {}));
    for (int i = 0; i < 50 && received.size() < 2; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(received.size(), 2);
    EXPECT_EQ(received[0].first().toStringList(), QStringList({"/jobs/a.qxd", "/jobs/b c.indd"}));
    EXPECT_EQ(received[1].first().toStringList(), QStringList());
}

TEST(SingleInstanceTest, AStaleSocketDoesNotStopANewInstance) {
    QTemporaryDir dir;
    const QString path = dir.filePath("stale.socket");
    {
        // What a crashed instance leaves behind: a bound socket nobody serves.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, QFile::encodeName(path).constData());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::close(fd);
    }
    SingleInstance instance(path);
    EXPECT_FALSE(instance.handOver({"/x"}));
    EXPECT_TRUE(instance.isListening());
    EXPECT_TRUE(HandOverFromAnotherLaunch(path, {"/y"}));
}

// A client that sends garbage or hangs up half-way costs nothing and is
// not taken for a launch.
TEST(SingleInstanceTest, BrokenMessagesAreDropped) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tavo.socket");
    SingleInstance instance(path);
    ASSERT_FALSE(instance.handOver({}));
    QSignalSpy received(&instance, &SingleInstance::documentsReceived);
    for (const QByteArray &message : {QByteArray("\xFF\xFF\xFF\xFF", 4),
                                      QByteArray("\x00\x00\x00\x10"
                                                 "abc",
                                                 7),
                                      QByteArray("\x00\x00\x00\x04\x00\x00", 6)}) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, QFile::encodeName(path).constData());
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ASSERT_EQ(::write(fd, message.constData(), size_t(message.size())), message.size());
        ::close(fd);
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    EXPECT_TRUE(received.isEmpty());
    EXPECT_TRUE(HandOverFromAnotherLaunch(path, {"/z"}));
}

} // namespace
