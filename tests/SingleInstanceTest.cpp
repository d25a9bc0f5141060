#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QLocalSocket>
#include <QThread>

#include <gtest/gtest.h>

namespace {

TEST(SingleInstanceTest, TheFirstInstanceListensAndLaterOnesHandOver)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("tavo.socket");
    SingleInstance first(name);
    EXPECT_FALSE(first.handOver({}));
    QSignalSpy received(&first, &SingleInstance::documentsReceived);

    // The later launch runs in another thread of ours here; its blocking
    // hand-over needs the first instance's event loop to answer.
    bool handedOver = false;
    QThread *later = QThread::create([&] {
        SingleInstance second(name);
        handedOver = second.handOver({"/jobs/a.qxd", "/jobs/b c.indd"});
    });
    later->start();
    while (!later->isFinished())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    later->wait();
    delete later;
    EXPECT_TRUE(handedOver);
    if (received.isEmpty())
        received.wait(2000);
    ASSERT_EQ(received.size(), 1);
    EXPECT_EQ(received.first().first().toStringList(),
              QStringList({"/jobs/a.qxd", "/jobs/b c.indd"}));
}

TEST(SingleInstanceTest, AStaleSocketDoesNotStopANewInstance)
{
    QTemporaryDir dir;
    const QString name = dir.filePath("stale.socket");
    QFile stale(name); // what a crashed instance leaves behind
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    SingleInstance instance(name);
    EXPECT_FALSE(instance.handOver({"/x"}));
    QLocalSocket probe;
    probe.connectToServer(name);
    EXPECT_TRUE(probe.waitForConnected(2000));
}

} // namespace
