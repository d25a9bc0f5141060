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

#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class FileAccessTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return mDir.filePath(name); }
    QByteArray native(const QString &name) const { return EncodeFileName(path(name)); }
    bool fifo(const QString &name) const { return ::mkfifo(native(name).constData(), 0600) == 0; }
    bool link(const QString &target, const QString &name) const {
        return ::symlink(EncodeFileName(target).constData(), native(name).constData()) == 0;
    }
    mode_t kind(const QString &name) const {
        struct stat info {};
        return ::lstat(native(name).constData(), &info) == 0 ? info.st_mode & S_IFMT : 0;
    }
    QStringList entries() const {
        return QDir(mDir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    }

    QTemporaryDir mDir;
};

TEST_F(FileAccessTest, OnlyRegularFilesWithinTheLimitAreRead) {
    ASSERT_TRUE(WriteAll(path("ten"), "0123456789"));
    ASSERT_TRUE(WriteAll(path("empty"), ""));
    ASSERT_TRUE(fifo("fifo"));
    ASSERT_TRUE(link(path("fifo"), "to-fifo"));
    // Reading through a link of our own is harmless; opening the device is not.
    ASSERT_TRUE(link("/dev/zero", "to-zero"));
    ASSERT_TRUE(QDir(mDir.path()).mkdir("folder"));
    ASSERT_TRUE(link(path("ten"), "to-ten"));

    const struct {
        const char *name;
        qint64 limit;
        std::optional<QByteArray> bytes;
        const char *error;
    } cases[] = {
        {"ten", 10, QByteArray("0123456789"), ""},
        {"to-ten", 10, QByteArray("0123456789"), ""},
        {"empty", 10, QByteArray(""), ""},
        {"ten", 9, std::nullopt, "more than 9 bytes"},
        // Without O_NONBLOCK opening a FIFO with no writer never returns.
        {"fifo", 10, std::nullopt, "Not a regular file"},
        {"to-fifo", 10, std::nullopt, "Not a regular file"},
        {"to-zero", kMaxSupportFileBytes, std::nullopt, "Not a regular file"},
        {"folder", 10, std::nullopt, "Not a regular file"},
        {"missing", 10, std::nullopt, "No such file or directory"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        const std::optional<QByteArray> bytes = ReadRegularFile(path(c.name), c.limit, &error);
        EXPECT_EQ(bytes, c.bytes);
        EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
    }

    // A name that is not UTF-8 ("Zürich" in Latin-1) is the file of that name.
    const QString latin1 = DecodeFileName(EncodeFileName(mDir.path()) + "/Z\xFCrich");
    const int fd = ::open(EncodeFileName(latin1).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "x", 1), 1);
    ::close(fd);
    EXPECT_EQ(ReadRegularFile(latin1, 10, nullptr), QByteArray("x"));
    ::unlink(EncodeFileName(latin1).constData()); // beyond QTemporaryDir, which names in UTF-8
}

// Each of these once hung the start, froze the window or read without end.
TEST_F(FileAccessTest, ReadersRefuseFifosAndDevicesAtOnce) {
    StartLog(1, 12000, "Vellmoran");
    ASSERT_TRUE(fifo("fifo"));
    ASSERT_TRUE(link("/dev/zero", "to-zero"));
    for (const QString name : {"fifo", "to-zero"}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(ReadPropertyListFile(path(name)).isValid());
        EXPECT_FALSE(LoadXMLDocument(path(name), 0));
        EXPECT_FALSE(LoadXMLDocument(path(name), kXmlTidyHtml));
        // The settings start empty; what is there cannot be kept, so it is
        // not overwritten either.
        TavoSettings settings(path(name));
        EXPECT_TRUE(settings.dict().isEmpty());
        settings.setAddSuffix(1);
        EXPECT_FALSE(settings.save());
    }
    EXPECT_EQ(kind("fifo"), S_IFIFO);
    EXPECT_EQ(kind("to-zero"), S_IFLNK);
    EXPECT_EQ(entries(), QStringList({"fifo", "to-zero"}));
}

TEST_F(FileAccessTest, TheOldFileIsOnlyEverReplacedByRename) {
    const QString file = path("Tavo.plist");
    ASSERT_TRUE(WriteAll(file, "old"));
    ASSERT_EQ(::chmod(native("Tavo.plist").constData(), 0640), 0);
    const int old = ::open(native("Tavo.plist").constData(), O_RDONLY);
    ASSERT_GE(old, 0);
    struct stat before {
    }, after{}, held{};
    ASSERT_EQ(::fstat(old, &before), 0);

    QString error;
    ASSERT_TRUE(WriteFileAtomically(file, "new bytes", &error)) << error.toStdString();
    EXPECT_EQ(ReadAll(file), "new bytes");
    ASSERT_EQ(::stat(native("Tavo.plist").constData(), &after), 0);
    ASSERT_EQ(::fstat(old, &held), 0);
    // The old file was never written to: it is whole, and no name leads to it.
    char buffer[16] = {};
    EXPECT_EQ(::pread(old, buffer, sizeof buffer, 0), 3);
    EXPECT_STREQ(buffer, "old");
    EXPECT_EQ(held.st_nlink, 0u);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 0777, 0640u);
    ::close(old);

    // A new file gets 0644 less the umask.
    const mode_t mask = ::umask(027);
    ASSERT_TRUE(WriteFileAtomically(path("new"), "", nullptr));
    ::umask(mask);
    ASSERT_EQ(::stat(native("new").constData(), &after), 0);
    EXPECT_EQ(after.st_mode & 0777, 0640u);
    EXPECT_EQ(entries(), QStringList({"Tavo.plist", "new"}));

    // Creating never replaces: not a file, not even a dangling link.
    ASSERT_TRUE(link(path("nowhere"), "dangling"));
    EXPECT_FALSE(CreateFileAtomically(path("new"), "x", &error));
    EXPECT_TRUE(error.contains("File exists")) << error.toStdString();
    EXPECT_FALSE(CreateFileAtomically(path("dangling"), "x", nullptr));
    EXPECT_EQ(kind("dangling"), S_IFLNK);
    EXPECT_TRUE(CreateFileAtomically(path("copy"), "x", nullptr));
    EXPECT_EQ(ReadAll(path("copy")), "x");
    ASSERT_EQ(::stat(native("copy").constData(), &after), 0);
    EXPECT_EQ(after.st_mode & 0777, 0600u);
    EXPECT_EQ(entries(), QStringList({"Tavo.plist", "copy", "dangling", "new"}));
}

// A link is written through to a regular file only, in the file's own folder,
// and stays a link; a device, a FIFO or a folder at its end is left alone.
TEST_F(FileAccessTest, LinksAreWrittenThroughToRegularFilesOnly) {
    ASSERT_TRUE(QDir(mDir.path()).mkpath("dotfiles"));
    ASSERT_TRUE(WriteAll(path("dotfiles/Tavo.plist"), "old"));
    ASSERT_TRUE(fifo("fifo"));
    ASSERT_TRUE(link("dotfiles/Tavo.plist", "relative"));
    ASSERT_TRUE(link(path("relative"), "chain"));
    ASSERT_TRUE(link("dotfiles/created.plist", "dangling"));
    ASSERT_TRUE(link(path("fifo"), "to-fifo"));
    ASSERT_TRUE(link(path("dotfiles"), "to-folder"));
    ASSERT_TRUE(link(path("missing/Tavo.plist"), "to-missing-folder"));
    ASSERT_TRUE(link(path("loop-b"), "loop-a"));
    ASSERT_TRUE(link(path("loop-a"), "loop-b"));
    const QStringList before = entries();

    const struct {
        const char *name;
        const char *target;
        const char *error;
    } cases[] = {
        {"relative", "dotfiles/Tavo.plist", nullptr},
        {"chain", "dotfiles/Tavo.plist", nullptr},
        {"dangling", "dotfiles/created.plist", nullptr},
        {"to-fifo", nullptr, "is not a regular file"},
        {"fifo", nullptr, "is not a regular file"},
        {"to-folder", nullptr, "is not a regular file"},
        {"to-missing-folder", nullptr, "No such file or directory"},
        {"loop-a", nullptr, "Too many levels of symbolic links"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        const QByteArray bytes = QByteArray("through ") + c.name;
        EXPECT_EQ(WriteFileAtomically(path(c.name), bytes, &error), c.target != nullptr);
        if (c.target)
            EXPECT_EQ(ReadAll(path(c.target)), bytes);
        else
            EXPECT_TRUE(error.contains(QLatin1String(c.error))) << error.toStdString();
    }
    EXPECT_EQ(kind("fifo"), S_IFIFO);
    for (const QString name : {"relative", "chain", "dangling", "to-fifo", "to-folder"})
        EXPECT_EQ(kind(name), S_IFLNK) << name.toStdString();
    EXPECT_EQ(entries(), before);
    EXPECT_EQ(QDir(path("dotfiles")).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"Tavo.plist", "created.plist"}));
}

// Runs `check` in a child process with a private 256 KiB tmpfs at `folder`,
// where a full disk can be made without touching anything real. The child
// answers what went wrong (nothing when empty), or "skip: " and why it could
// not mount.
QString InSmallTmpfs(const QString &folder, const std::function<QString()> &check) {
    int channel[2];
    if (::pipe(channel) != 0)
        return QStringLiteral("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        QString answer;
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", EncodeFileName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    "size=256k,mode=0700") != 0)
            answer = QStringLiteral("skip: cannot mount a tmpfs of our own (%1)")
                         .arg(qt_error_string(errno));
        else
            answer = check();
        const QByteArray bytes = answer.toUtf8();
        const bool sent =
            ::write(channel[1], bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray answer;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        answer.append(buffer, n);
    ::close(channel[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return QStringLiteral("the child process failed: ") + QString::fromUtf8(answer);
    return QString::fromUtf8(answer);
}

// Fills the file system until at most `free` bytes are left.
bool Fill(const QString &folder, off_t free) {
    const QByteArray page(4096, 'f');
    const int fd =
        ::open(EncodeFileName(folder + "/filler").constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0)
        return false;
    while (::write(fd, page.constData(), size_t(page.size())) == page.size()) {
    }
    struct stat info {};
    const bool ok =
        ::fstat(fd, &info) == 0 && ::ftruncate(fd, std::max<off_t>(0, info.st_size - free)) == 0;
    ::close(fd);
    return ok;
}

// Qt 6.4's QSaveFile renamed an empty or cut-off file over the settings on a
// full disk and answered true.
TEST_F(FileAccessTest, AFullDiskLeavesTheOldFileWhole) {
    StartLog(1, 12000, "Vellmoran");
    const QString folder = path("small");
    ASSERT_TRUE(QDir(mDir.path()).mkdir("small"));
    const QString answer = InSmallTmpfs(folder, [&]() -> QString {
        const QString file = folder + "/Tavo.plist";
        TavoSettings settings(file);
        settings.setValue("QuarkXPress 2016", "/opt/QuarkXPress 2016.app");
        if (!settings.save())
            return "the first save failed";
        const QByteArray old = ReadAll(file);
        const QStringList files{"Tavo.plist", "filler"};
        settings.setValue("Long", QString(60000, 'x'));
        // No room at all, then one page: the new file is cut off either way.
        for (const off_t free : {0, 4096}) {
            QString error;
            if (!Fill(folder, free))
                return "cannot fill the disk";
            if (WriteFileAtomically(file, QByteArray(60000, 'x'), &error) ||
                !error.contains("No space left on device"))
                return "the write answered " + error;
            if (settings.save())
                return "the save answered true";
            if (ReadAll(file) != old)
                return "the old file changed";
            if (QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name) != files)
                return "left behind: " +
                       QDir(folder).entryList(QDir::Files | QDir::Hidden).join(' ');
        }
        const QByteArray logged =
            "The settings could not be saved to " + file.toUtf8() + ": No space left on device\n";
        if (ReadAll(LogPath()).count(logged) != 2)
            return "the log holds " + QString::fromUtf8(ReadAll(LogPath()));
        return {};
    });
    if (answer.startsWith("skip: "))
        GTEST_SKIP() << answer.toStdString();
    EXPECT_EQ(answer, QString());
}

} // namespace
