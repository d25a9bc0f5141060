#include "toolkit/FileUtils.h"
#include "QtPrinters.h"
#include "ScopedEnv.h"
#include "platform/DesktopEntry.h"
#include "platform/DesktopLauncher.h"
#include "platform/Folders.h"
#include "toolkit/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <unistd.h>

#include <gtest/gtest.h>

namespace {

bool WriteText(const QString &path, const QByteArray &text) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QByteArray ReadText(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(FileUtilsTest, PathRulesFollowTheLastComponent) {
    EXPECT_TRUE(HasExtension("/a/Story.QXP", "qxp"));
    EXPECT_TRUE(HasExtension("/a/qxp", "qxp"));
    EXPECT_TRUE(HasExtension("/a/Story.qxp/", "qxp"));
    EXPECT_TRUE(HasExtension("/a/a.tar.gz", "gz"));
    EXPECT_FALSE(HasExtension("/a/Story.qxp.bak", "qxp"));
    EXPECT_FALSE(HasExtension("/a/Story.", "qxp"));
    EXPECT_TRUE(HasExtension("/a/Story.", ""));
    EXPECT_FALSE(HasExtension("/a.qxp/Story", "qxp"));
    EXPECT_FALSE(HasExtension(QString(), "qxp"));
    EXPECT_FALSE(HasExtension("/a/Story.qxp", QString()));

    EXPECT_EQ(ReplaceExtension("/x/Story.qxd", "qxp"), "/x/Story.qxp");
    EXPECT_EQ(ReplaceExtension("/x/Story", "qxp"), "/x/Story.qxp");
    EXPECT_EQ(ReplaceExtension("/x.d/Story", "qxp"), "/x.d/Story.qxp");
    EXPECT_EQ(ReplaceExtension("/x/a.tar.gz", "qxp"), "/x/a.tar.qxp");
    EXPECT_EQ(ReplaceExtension("/x/.profile", "qxp"), "/x/.profile.qxp");
    EXPECT_TRUE(ReplaceExtension(QString(), "qxp").isNull());
    EXPECT_EQ(ReplaceExtension("", "qxp"), "");

    EXPECT_EQ(BuildPath("/f", "", "plist"), "/f");
    EXPECT_EQ(BuildPath("/f", QString(), "plist"), "/f");
    EXPECT_TRUE(BuildPath(QString(), QString()).isNull());
    EXPECT_EQ(BuildPath("/f", "Tavo"), "/f/Tavo");
    EXPECT_EQ(BuildPath("/f", "Tavo", "plist"), "/f/Tavo.plist");
    EXPECT_EQ(BuildPath("/f/", "/Tavo", "plist"), "/f/Tavo.plist");
    EXPECT_EQ(BuildPath("/", "Tavo"), "/Tavo");
    // A present but empty extension is appended like any other.
    EXPECT_EQ(BuildPath("/f", "Tavo", ""), "/f/Tavo.");
}

TEST(FileUtilsTest, TextComparisonsKeepAbsentAndEmptyApart) {
    EXPECT_TRUE(StringsEqual(QString(), QString()));
    EXPECT_FALSE(StringsEqual(QString(), ""));
    EXPECT_FALSE(StringsEqual("", QString()));
    EXPECT_TRUE(StringsEqual("", ""));
    EXPECT_FALSE(StringsEqual("Quark", "quark"));
    EXPECT_TRUE(StringsEqual("Quark", "Quark"));

    EXPECT_TRUE(StringInArray("b", {"a", "b"}));
    EXPECT_FALSE(StringInArray("B", {"a", "b"}));
    EXPECT_FALSE(StringInArray("a", {}));
    EXPECT_FALSE(StringInArray(QString(), {"", "a"}));
    EXPECT_TRUE(StringInArray("", {"a", ""}));

    EXPECT_TRUE(HasPrefix("QuarkXPress 2016", "QuarkXPress"));
    EXPECT_TRUE(HasPrefix("Adobe", "Adobe"));
    EXPECT_FALSE(HasPrefix("QuarkXPress 2016", ""));
    EXPECT_FALSE(HasPrefix("", ""));
    EXPECT_FALSE(HasPrefix("QuarkXPress", QString()));
    EXPECT_FALSE(HasPrefix(QString(), "Q"));
    EXPECT_FALSE(HasPrefix("Adobe", "Adobe InDesign"));
    EXPECT_FALSE(HasPrefix("My QuarkXPress", "QuarkXPress"));
    EXPECT_FALSE(HasPrefix("quarkxpress", "QuarkXPress"));
}

TEST(FileUtilsTest, FileSystemQueries) {
    QTemporaryDir dir;
    const QString file = dir.filePath("Tavo.plist");
    const QString bundle = dir.filePath("QuarkXPress.app");
    ASSERT_TRUE(WriteText(file, "12345"));
    ASSERT_TRUE(QDir().mkpath(bundle));

    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FileExists(bundle));
    EXPECT_FALSE(FileExists(dir.filePath("missing")));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(FileExists(""));

    EXPECT_TRUE(IsDirectory(bundle));
    EXPECT_FALSE(IsDirectory(file));
    EXPECT_FALSE(IsDirectory(dir.filePath("missing")));
    EXPECT_FALSE(IsDirectory(QString()));
    EXPECT_FALSE(IsDirectory(""));

    EXPECT_EQ(FileSize(file), 5);
    EXPECT_EQ(FileSize(dir.filePath("missing")), 0);
    EXPECT_EQ(FileSize(QString()), 0);
}

TEST(FileUtilsTest, CreateAndRemoveLeaveWhatTheySayAndLogFailures) {
    StartLog(1, 12000, "Vellmoran");
    const QByteArray logAtStart = ReadText(LogPath());

    QTemporaryDir dir;
    const QString nested = dir.filePath("a/b/c");
    EXPECT_TRUE(CreateFolder(nested));
    EXPECT_TRUE(IsDirectory(nested));
    EXPECT_TRUE(CreateFolder(nested));

    const QString file = dir.filePath("plain");
    ASSERT_TRUE(WriteText(file, "x"));
    EXPECT_TRUE(CreateFolder(file));
    EXPECT_FALSE(IsDirectory(file));
    EXPECT_EQ(ReadText(file), "x");

    EXPECT_TRUE(RemoveItem(dir.filePath("missing")));
    EXPECT_TRUE(RemoveItem(QString()));
    EXPECT_EQ(ReadText(LogPath()), logAtStart);

    EXPECT_TRUE(RemoveItem(dir.filePath("a")));
    EXPECT_FALSE(FileExists(dir.filePath("a")));
    EXPECT_TRUE(RemoveItem(file));
    EXPECT_FALSE(FileExists(file));

    // Below a plain file no folder can be made, whoever runs the test.
    ASSERT_TRUE(WriteText(file, "x"));
    EXPECT_FALSE(CreateFolder(file + "/sub"));
    const QByteArray log = ReadText(LogPath());
    EXPECT_TRUE(log.startsWith(logAtStart));
    EXPECT_TRUE(log.contains("Tavo::The folder “" + file.toUtf8() + "/sub” could not be created"))
        << log.constData();

    if (::geteuid() != 0) {
        const QString locked = dir.filePath("locked");
        ASSERT_TRUE(WriteText(locked + "/item", "x"));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_FALSE(RemoveItem(locked + "/item"));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        EXPECT_TRUE(ReadText(LogPath()).contains("Tavo::" + locked.toUtf8() + "/item: “item”"));
    }
}

TEST(FileUtilsTest, PasteboardFileNameIsTheFirstLocalFile) {
    EXPECT_TRUE(PasteboardFileName(nullptr).isNull());
    QMimeData data;
    EXPECT_TRUE(PasteboardFileName(&data).isNull());
    data.setText("/not/a/file/list");
    EXPECT_TRUE(PasteboardFileName(&data).isNull());
    data.setUrls({QUrl("https://example.com/a.qxp"), QUrl::fromLocalFile("/jobs/Plan 1.qxd"),
                  QUrl::fromLocalFile("/jobs/b.indd")});
    EXPECT_EQ(PasteboardFileName(&data), "/jobs/Plan 1.qxd");
}

TEST(FileUtilsTest, DesktopEntryCommandsFillInTheFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath("ed.desktop");
    ASSERT_TRUE(WriteText(path,
                          "# comment\n"
                          "[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Plain Editor\n"
                          "Icon=ed\n"
                          "Exec=\"/opt/my ed/ed\" --title=%c %i \"say \\\\\"hi\\\\\"\" 100%% %F\n"
                          "[Desktop Action new]\n"
                          "Exec=wrong\n"));
    const auto entry = DesktopEntry::load(path);
    ASSERT_TRUE(entry);
    EXPECT_TRUE(entry->isLaunchable());
    EXPECT_EQ(entry->command({"/a b.txt", "/c"}),
              QStringList({"/opt/my ed/ed", "--title=Plain Editor", "--icon", "ed", "say \"hi\"",
                           "100%", "/a b.txt", "/c"}));
    EXPECT_EQ(entry->command({}), QStringList({"/opt/my ed/ed", "--title=Plain Editor", "--icon",
                                               "ed", "say \"hi\"", "100%"}));

    ASSERT_TRUE(WriteText(path, "[Desktop Entry]\nExec=view %u --from %k\n"));
    EXPECT_EQ(DesktopEntry::load(path)->command({"/a b.txt"}),
              QStringList({"view", "file:///a%20b.txt", "--from", path}));
    ASSERT_TRUE(WriteText(path, "[Desktop Entry]\nExec=view --new\n"));
    EXPECT_EQ(DesktopEntry::load(path)->command({"/a"}), QStringList({"view", "--new", "/a"}));

    ASSERT_TRUE(WriteText(path, "[Desktop Entry]\nExec=view\nHidden=true\n"));
    EXPECT_FALSE(DesktopEntry::load(path)->isLaunchable());
    ASSERT_TRUE(WriteText(path, "[Desktop Entry]\nType=Link\nExec=view\n"));
    EXPECT_FALSE(DesktopEntry::load(path)->isLaunchable());
    ASSERT_TRUE(WriteText(path, "Exec=view\n"));
    EXPECT_FALSE(DesktopEntry::load(path));
    EXPECT_FALSE(DesktopEntry::load(dir.filePath("missing.desktop")));
}

// A desktop of our own: applications, associations and the MIME database,
// with a recorder in place of the launcher.
class OpeningTest : public ::testing::Test {
protected:
    struct Launch {
        QString entry;
        QStringList files;
        bool deactivate;
    };

    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        QDir().mkpath(data());
        // The types come from the system's database; the applications only
        // from this test's folders.
        ASSERT_TRUE(QFile::link("/usr/share/mime", data() + "/mime"));
        previous = SetDesktopLauncher([this](const QString &e, const QStringList &f, bool d) {
            launches.push_back({e, f, d});
            return launchResult;
        });
    }
    void TearDown() override { SetDesktopLauncher(previous); }

    QString data() const { return root.filePath("share"); }
    QString config() const { return root.filePath("config"); }
    QString apps() const { return data() + "/applications"; }
    void app(const QString &id, const QByteArray &more = {}) {
        ASSERT_TRUE(WriteText(apps() + "/" + id, "[Desktop Entry]\nType=Application\nName=" +
                                                     id.toUtf8() + "\nExec=run %f\n" + more));
    }
    void mimeapps(const QByteArray &text) {
        ASSERT_TRUE(WriteText(config() + "/mimeapps.list", text));
    }

    QTemporaryDir root;
    ScopedEnv dataHome{"XDG_DATA_HOME", QFile::encodeName(root.filePath("home-share"))};
    ScopedEnv dataDirs{"XDG_DATA_DIRS", QFile::encodeName(root.filePath("share"))};
    ScopedEnv configHome{"XDG_CONFIG_HOME", QFile::encodeName(root.filePath("config"))};
    ScopedEnv configDirs{"XDG_CONFIG_DIRS", QFile::encodeName(root.filePath("etc-xdg"))};
    ScopedEnv desktop{"XDG_CURRENT_DESKTOP", QByteArray()};
    DesktopLauncher previous;
    std::vector<Launch> launches;
    bool launchResult = true;
};

TEST_F(OpeningTest, AFileGoesToItsTypesAppThenTheTextAppThenTheEditor) {
    const QString png = root.filePath("Pic.png");
    const QString qxd = root.filePath("Plan.qxd");
    const QString c = root.filePath("main.c");
    for (const QString &f : {png, qxd, c})
        ASSERT_TRUE(WriteText(f, "x"));

    // Nothing claims anything: the editor fallback, which is not installed.
    EXPECT_EQ(AppNameForExtension("png", "txt", "TextEdit"), "TextEdit");
    EXPECT_FALSE(OpenItem(png));
    EXPECT_TRUE(launches.empty());

    app("viewer.desktop", "MimeType=image/png;\n");
    app("term.desktop", "MimeType=text/plain;\nTerminal=true\n");
    app("zed.desktop", "MimeType=text/plain;\n");
    app("gone.desktop", "MimeType=text/plain;\nHidden=true\n");
    EXPECT_EQ(AppNameForExtension("png", "txt", "TextEdit"), "viewer.desktop");
    EXPECT_EQ(AppNameForExtension("PNG", "txt", "TextEdit"), "viewer.desktop");
    // No type for qxd, and the terminal and hidden ones do not count.
    EXPECT_EQ(AppNameForExtension("qxd", "txt", "TextEdit"), "zed.desktop");
    EXPECT_EQ(AppNameForExtension(QString(), "txt", "TextEdit"), "zed.desktop");
    EXPECT_EQ(AppNameForExtension("", "", "TextEdit"), "TextEdit");

    // The user's default wins over what applications declare; a default that
    // is not installed is passed over; removed associations are left out.
    app("paint.desktop");
    app("notes.desktop", "MimeType=text/plain;\n");
    mimeapps("[Default Applications]\nimage/png=missing.desktop;paint.desktop;\n"
             "[Removed Associations]\ntext/plain=notes.desktop;\n"
             "[Added Associations]\ntext/plain=notes.desktop;\n");
    EXPECT_EQ(AppNameForExtension("png", "txt", "TextEdit"), "paint.desktop");
    EXPECT_EQ(AppNameForExtension("qxd", "txt", "TextEdit"), "zed.desktop");

    ASSERT_TRUE(OpenItem(png));
    ASSERT_TRUE(OpenItem(qxd));
    // text/x-csrc has no application of its own; its parent text/plain has.
    ASSERT_TRUE(OpenFileWithApp(c, QString(), false));
    ASSERT_EQ(launches.size(), 3u);
    EXPECT_EQ(launches[0].entry, apps() + "/paint.desktop");
    EXPECT_EQ(launches[0].files, QStringList{png});
    EXPECT_TRUE(launches[0].deactivate);
    EXPECT_EQ(launches[1].entry, apps() + "/zed.desktop");
    EXPECT_EQ(launches[2].entry, apps() + "/zed.desktop");
    EXPECT_FALSE(launches[2].deactivate);

    // A mimeinfo.cache speaks for its folder.
    ASSERT_TRUE(
        WriteText(apps() + "/mimeinfo.cache", "[MIME Cache]\ntext/plain=viewer.desktop;\n"));
    EXPECT_EQ(AppNameForExtension("qxd", "txt", "TextEdit"), "viewer.desktop");
}

TEST_F(OpeningTest, NamedAppsFoldersAndFailures) {
    const QString doc = root.filePath("Plan.qxd");
    ASSERT_TRUE(WriteText(doc, "x"));
    app("kde4-kate.desktop");
    ASSERT_TRUE(WriteText(apps() + "/kde4/kwrite.desktop", "[Desktop Entry]\nExec=kwrite %U\n"));

    EXPECT_TRUE(OpenFileWithApp(doc, "kde4-kate.desktop", true));
    EXPECT_TRUE(OpenFileWithApp(doc, "kde4-kwrite", false));
    ASSERT_EQ(launches.size(), 2u);
    EXPECT_EQ(launches[0].entry, apps() + "/kde4-kate.desktop");
    EXPECT_EQ(launches[1].entry, apps() + "/kde4/kwrite.desktop");

    // What is missing is not started.
    EXPECT_FALSE(OpenFileWithApp(doc, "nothing.desktop", true));
    EXPECT_FALSE(OpenFileWithApp(root.filePath("missing.qxd"), "kde4-kate.desktop", true));
    EXPECT_FALSE(OpenFileWithApp(QString(), "kde4-kate.desktop", true));
    EXPECT_FALSE(OpenItem(""));
    EXPECT_EQ(launches.size(), 2u);

    // Folders go to the file manager, which the desktop names.
    const QString folder = root.filePath("Jobs");
    QDir().mkpath(folder);
    EXPECT_FALSE(OpenItem(folder));
    app("files.desktop", "MimeType=inode/directory;\n");
    EXPECT_TRUE(OpenItem(folder));
    ASSERT_EQ(launches.size(), 3u);
    EXPECT_EQ(launches[2].entry, apps() + "/files.desktop");
    EXPECT_EQ(launches[2].files, QStringList{folder});
    EXPECT_TRUE(launches[2].deactivate);

    // The launcher's answer is the answer.
    launchResult = false;
    EXPECT_FALSE(OpenItem(folder));
}

} // namespace
