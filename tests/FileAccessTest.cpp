// SPDX-License-Identifier: MIT
#include "TestSupport.h"
#include "platform/AtomicFile.h"
#include "platform/FileName.h"
#include "platform/PropertyList.h"
#include "platform/RegularFile.h"
#include "toolkit/Log.h"
#include "toolkit/TavoSettings.h"
#include "toolkit/XmlHelpers.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Every folder holds a FIFO, which stands for all that is not a regular file,
// sockets and devices included (which a test must not touch).
class FileAccessTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(::mkfifo(native("fifo").constData(), 0600), 0); }
    QString path(const QString &name) const { return mDir.filePath(name); }
    QByteArray native(const QString &name) const { return EncodeFileName(path(name)); }
    // The file type and permission bits of what bears the name itself.
    mode_t mode(const QString &name) const {
        struct stat info {};
        return ::lstat(native(name).constData(), &info) == 0 ? info.st_mode : 0;
    }
    QStringList entries(const QString &folder = ".") const {
        return QDir(path(folder))
            .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir mDir;
};

TEST_F(FileAccessTest, OnlyRegularFilesWithinTheLimitAreRead) {
    ASSERT_TRUE(WriteAll(path("ten"), "0123456789") && WriteAll(path("empty"), ""));
    ASSERT_TRUE(QDir(mDir.path()).mkdir("folder"));
    ASSERT_TRUE(QFile::link(path("ten"), path("to-ten")));
    const struct {
        const char *name;
        qint64 limit;
        std::optional<QByteArray> bytes;
        const char *error;
    } cases[] = {
        {"ten", 10, "0123456789", ""},
        {"to-ten", 10, "0123456789", ""},
        {"empty", 10, "", ""},
        {"ten", 9, std::nullopt, "more than 9 bytes"},
        // Opened, a FIFO without a writer blocks.
        {"fifo", 10, std::nullopt, "Not a regular file"},
        {"folder", 10, std::nullopt, "Not a regular file"},
        {"missing", 10, std::nullopt, "No such file or directory"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        EXPECT_EQ(ReadRegularFile(path(c.name), c.limit, &error), c.bytes);
        EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
    }
    // A name that is not UTF-8 ("Zürich" in Latin-1) is the file of that name.
    const QString latin1 = DecodeFileName(EncodeFileName(mDir.path()) + "/Z\xFCrich");
    ASSERT_TRUE(WriteFileAtomically(latin1, "x", nullptr));
    EXPECT_EQ(ReadRegularFile(latin1, 10, nullptr), QByteArray("x"));
    ::unlink(EncodeFileName(latin1).constData()); // beyond QTemporaryDir, which names in UTF-8

    // A FIFO once hung the start and froze the window; nothing is written over it.
    EXPECT_FALSE(ReadPropertyListFile(path("fifo")).isValid());
    EXPECT_FALSE(LoadXMLDocument(path("fifo"), 0) || LoadXMLDocument(path("fifo"), kXmlTidyHtml));
    TavoSettings settings(path("fifo"));
    EXPECT_TRUE(settings.dict().isEmpty());
    settings.setAddSuffix(1);
    EXPECT_FALSE(settings.save());
    EXPECT_TRUE(S_ISFIFO(mode("fifo")));
    EXPECT_EQ(entries().join(' '), "empty fifo folder ten to-ten");
}

// Only a regular file is ever replaced, and only by a new one that takes its
// name; a link is written through to it, in its own folder, and stays a link.
TEST_F(FileAccessTest, WritesReplaceOnlyRegularFilesAndOnlyByRename) {
    ASSERT_TRUE(WriteAll(path("Tavo.plist"), "old") &&
                WriteAll(path("dotfiles/Tavo.plist"), "old"));
    ASSERT_TRUE(QFile::setPermissions(path("Tavo.plist"),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    // Locked by its user: the rename alone, which the folder allows, once
    // replaced it (as root too).
    ASSERT_TRUE(WriteAll(path("locked"), "old") &&
                ::chmod(native("locked").constData(), 0444) == 0);
    const int old = ::open(native("Tavo.plist").constData(), O_RDONLY);
    const struct {
        const char *name;
        const char *link;     // what a link of this name leads to
        const char *writesTo; // null: the write fails with `error`
        const char *error;
    } cases[] = {
        {"Tavo.plist", nullptr, "Tavo.plist", nullptr},
        {"new", nullptr, "new", nullptr},
        {"relative", "dotfiles/Tavo.plist", "dotfiles/Tavo.plist", nullptr},
        {"dangling", "dotfiles/new.plist", "dotfiles/new.plist", nullptr},
        {"fifo", nullptr, nullptr, "is not a regular file"},
        {"locked", nullptr, nullptr, "locked may not be written, so it is left as it is"},
        {"to-folder", "dotfiles", nullptr, "is not a regular file"},
        {"loop", "loop", nullptr, "Too many levels of symbolic links"},
    };
    for (const auto &c : cases)
        ASSERT_TRUE(!c.link || ::symlink(c.link, native(c.name).constData()) == 0);
    const mode_t mask = ::umask(027);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        const QByteArray bytes = QByteArray("through ") + c.name;
        EXPECT_EQ(WriteFileAtomically(path(c.name), bytes, &error), c.writesTo != nullptr);
        if (c.writesTo)
            EXPECT_EQ(ReadAll(path(c.writesTo)), bytes);
        else
            EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
        EXPECT_TRUE(!c.link || S_ISLNK(mode(c.name)));
    }
    ::umask(mask);
    // The old file keeps its permissions, a new one gets 0644 less the umask.
    EXPECT_EQ(mode("Tavo.plist"), S_IFREG | 0640u);
    EXPECT_EQ(mode("new"), S_IFREG | 0640u);
    // The old file was never written to: it is whole.
    char buffer[8] = {};
    EXPECT_EQ(::pread(old, buffer, sizeof buffer, 0), 3);
    ::close(old);
    EXPECT_EQ(ReadAll(path("locked")), "old");
    EXPECT_EQ(entries().join(' '),
              "Tavo.plist dangling dotfiles fifo locked loop new relative to-folder");
    EXPECT_EQ(entries("dotfiles"), QStringList({"Tavo.plist", "new.plist"}));

    // Creating never replaces anything, not even a dangling link.
    EXPECT_FALSE(CreateFileAtomically(path("new"), "x", nullptr));
    ASSERT_TRUE(QFile::link(path("nowhere"), path("nothing")));
    EXPECT_FALSE(CreateFileAtomically(path("nothing"), "x", nullptr));
    EXPECT_TRUE(CreateFileAtomically(path("copy"), "x", nullptr) && ReadAll(path("copy")) == "x");
    EXPECT_EQ(mode("copy"), S_IFREG | 0600u);
    EXPECT_TRUE(S_ISLNK(mode("nothing")) && S_ISREG(mode("new")));
}

// Root running with another user's folders (sudo -E) once followed her link
// from Tavo.plist to a file of root's and replaced it. Her files are made by
// handing them to nobody (65534).
TEST_F(FileAccessTest, NothingOfAnotherUserIsWrittenIntoOrFollowed) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give files to another user";
    ASSERT_TRUE(WriteAll(path("root.plist"), "root's") && WriteAll(path("hers/Tavo.plist"), "old"));
    ASSERT_TRUE(QDir(mDir.path()).mkdir("mine"));
    for (const auto &[name, target] :
         {std::pair{"mine/Tavo.plist", "../root.plist"}, {"via", "mine"}, {"own", "root.plist"}})
        ASSERT_EQ(::symlink(target, native(name).constData()), 0);
    for (const char *name : {"hers", "mine/Tavo.plist", "via"})
        ASSERT_EQ(::lchown(native(name).constData(), 65534, 65534), 0);
    for (const char *name : {"hers/Tavo.plist", "hers/new", "mine/Tavo.plist", "via/new"}) {
        QString error;
        EXPECT_FALSE(WriteFileAtomically(path(name), "hers", &error));
        EXPECT_TRUE(error.endsWith("belongs to user 65534, not to the user Tavo runs as (0)"));
    }
    EXPECT_EQ(entries("hers") + entries("mine"), QStringList({"Tavo.plist", "Tavo.plist"}));
    EXPECT_TRUE(ReadAll(path("root.plist")) == "root's" &&
                WriteFileAtomically(path("own"), "root's own", nullptr));
}

// Qt 6.4's QSaveFile renamed an empty or cut-off file over the settings on a
// full disk and answered true. The disk is a private 256 KiB tmpfs, mounted
// in a child process of its own.
TEST_F(FileAccessTest, AFullDiskLeavesTheOldFileWhole) {
    StartLog(1, 12000, "Vellmoran");
    ASSERT_TRUE(QDir(mDir.path()).mkdir("small"));
    const QString file = path("small/Tavo.plist");
    const auto check = [&] { // the number of the first step that failed
        TavoSettings settings(file);
        settings.setValue("QuarkXPress 2016", "/opt/QuarkXPress 2016.app");
        if (!settings.save())
            return 1;
        const QByteArray old = ReadAll(file);
        settings.setValue("Long", QString(60000, 'x'));
        const int filler = ::open(native("small/filler").constData(), O_WRONLY | O_CREAT, 0600);
        while (::write(filler, old.constData(), size_t(old.size())) > 0)
            continue;
        // One page left: the new file is cut off.
        if (::ftruncate(filler, ::lseek(filler, -4096, SEEK_END)) != 0)
            return 2;
        if (settings.save() || ReadAll(file) != old ||
            entries("small") != QStringList({"Tavo.plist", "filler"}))
            return 3;
        const QByteArray logged =
            "The settings could not be saved to " + file.toUtf8() + ": No space left on device\n";
        return ReadAll(LogPath()).count(logged) == 1 ? 0 : 4;
    };
    const int failedStep = InChild([&] {
        return ::unshare(CLONE_NEWNS) == 0 &&
                       ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                       ::mount("tmpfs", native("small").constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                               "size=256k,mode=0700") == 0
                   ? check()
                   : 77;
    });
    if (failedStep == 77)
        GTEST_SKIP() << "cannot mount a tmpfs of our own (only root can)";
    EXPECT_EQ(failedStep, 0);
}

} // namespace
