// SPDX-License-Identifier: MIT
#include "toolkit/FileUtils.h"
#include "TestDesktop.h"
#include "TestSupport.h"
#include "platform/DesktopApps.h"
#include "toolkit/Log.h"

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

TEST(FileUtilsTest, FoldersAreMadeAndItemsRemovedOrTheLogSaysWhy) {
    StartLog(1, 12000, "Vellmoran");
    QTemporaryDir dir;
    const QString file = dir.filePath("plain");
    ASSERT_TRUE(WriteAll(file, "12345"));
    EXPECT_TRUE(CreateFolder(dir.filePath("a/QuarkXPress.app")));
    EXPECT_TRUE(IsDirectory(dir.filePath("a/QuarkXPress.app")));
    EXPECT_TRUE(RemoveItem(dir.filePath("a")));
    EXPECT_FALSE(FileExists(dir.filePath("a")));
    // Something already there is left alone, whatever it is; nothing there
    // is nothing to remove.
    EXPECT_TRUE(CreateFolder(file) && RemoveItem(dir.filePath("missing")));
    EXPECT_EQ(ReadAll(file), "12345");

    // Below a plain file no folder can be made; from a folder nobody may
    // change nothing can be removed. Each failure is one line of the log.
    EXPECT_FALSE(CreateFolder(file + "/sub"));
    const QString locked = dir.filePath("locked");
    ASSERT_TRUE(WriteAll(locked + "/job.qxd", "x"));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    {
        ObeyFilePermissions asOwner;
        EXPECT_FALSE(RemoveItem(locked + "/job.qxd"));
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QList<QByteArray> lines = ReadAll(LogPath()).split('\n');
    ASSERT_EQ(lines.size(), 4) << ReadAll(LogPath()).constData(); // start, two failures, end
    EXPECT_TRUE(
        lines[1].contains("Tavo::The folder “" + file.toUtf8() + "/sub” could not be created: "));
    EXPECT_TRUE(lines[2].endsWith("Tavo::" + locked.toUtf8() +
                                  "/job.qxd: “job.qxd” could not be removed: Permission denied"));
}

// The applications of tests/TestDesktop.h, first with a recorder in place of
// the launcher, then with the real one.
TEST(FileUtilsTest, TheDesktopsDefaultsDecideWhatOpensAFileOrAFolder) {
    QList<QStringList> launches;
    SetDesktopLauncher([&](const QString &id, const QStringList &files, bool deactivate) {
        launches.append(QStringList{id} + files + QStringList{deactivate ? "front" : "back"});
        return true;
    });
    QTemporaryDir root;
    const QString pdf = root.filePath("Proof.PDF");
    const QString odd = root.filePath("notes.tavoz");
    ASSERT_TRUE(WriteAll(pdf, "%PDF-1.4 real") && WriteAll(odd, "x"));
    // The default whose program is not installed is passed over; a kind of
    // file no application opens goes to the one for plain text.
    ASSERT_TRUE(OpenItem(pdf));
    ASSERT_TRUE(OpenFileWithApp(odd, QString(), false));
    ASSERT_TRUE(OpenItem(root.path()));
    EXPECT_FALSE(OpenItem(root.filePath("missing.pdf")));
    EXPECT_EQ(launches, QList<QStringList>({{"tavo-test-viewer.desktop", pdf, "front"},
                                            {"tavo-test-editor.desktop", odd, "back"},
                                            {"tavo-test-files.desktop", root.path(), "front"}}));

    SetDesktopLauncher(nullptr);
    ASSERT_TRUE(OpenItem(pdf));
    QDeadlineTimer deadline(20000);
    while (ReadAll(TestDesktopLaunchRecord()) != "%PDF-1.4 real" && !deadline.hasExpired())
        QThread::msleep(20);
    EXPECT_EQ(ReadAll(TestDesktopLaunchRecord()), "%PDF-1.4 real");
}

} // namespace
