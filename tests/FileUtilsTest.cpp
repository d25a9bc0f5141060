#include "toolkit/FileUtils.h"
#include "TestSupport.h"
#include "platform/DesktopEntry.h"
#include "platform/DesktopLauncher.h"
#include "toolkit/Log.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

TEST(FileUtilsTest, PathRules) {
    EXPECT_TRUE(HasExtension("/a/Story.QXP", "qxp"));
    EXPECT_TRUE(HasExtension("/a/qxp", "qxp"));
    EXPECT_TRUE(HasExtension("/a/Story.qxp/", "qxp"));
    EXPECT_FALSE(HasExtension("/a/Story.qxp.bak", "qxp"));
    EXPECT_FALSE(HasExtension("/a/Story.", "qxp"));
    EXPECT_FALSE(HasExtension(QString(), "qxp"));

    EXPECT_EQ(ReplaceExtension("/x/Story.qxd", "qxp"), "/x/Story.qxp");
    EXPECT_EQ(ReplaceExtension("/x.d/Story", "qxp"), "/x.d/Story.qxp");
    EXPECT_TRUE(ReplaceExtension(QString(), "qxp").isNull());

    EXPECT_EQ(BuildPath("/f", "", "plist"), "/f");
    EXPECT_EQ(BuildPath("/f", QString(), "plist"), "/f");
    EXPECT_EQ(BuildPath("/f", "Tavo"), "/f/Tavo");
    EXPECT_EQ(BuildPath("/f/", "/Tavo", "plist"), "/f/Tavo.plist");
}

TEST(FileUtilsTest, TextComparisonsKeepAbsentAndEmptyApart) {
    EXPECT_TRUE(StringsEqual(QString(), QString()));
    EXPECT_FALSE(StringsEqual(QString(), ""));
    EXPECT_FALSE(StringsEqual("Quark", "quark"));
    EXPECT_FALSE(StringInArray(QString(), {"", "a"}));
    EXPECT_TRUE(StringInArray("", {"a", ""}));

    EXPECT_TRUE(HasPrefix("QuarkXPress 2016", "QuarkXPress"));
    EXPECT_FALSE(HasPrefix("QuarkXPress 2016", ""));
    EXPECT_FALSE(HasPrefix("Adobe", "Adobe InDesign"));
    EXPECT_FALSE(HasPrefix(QString(), "Q"));
}

TEST(FileUtilsTest, FilesAndFoldersAndTheirFailures) {
    StartLog(1, 12000, "Vellmoran");
    const QByteArray logAtStart = ReadAll(LogPath());
    QTemporaryDir dir;
    const QString file = dir.filePath("plain");
    const QString bundle = dir.filePath("a/QuarkXPress.app");
    ASSERT_TRUE(WriteAll(file, "12345"));

    EXPECT_TRUE(CreateFolder(bundle));
    EXPECT_TRUE(IsDirectory(bundle));
    EXPECT_FALSE(IsDirectory(file));
    EXPECT_FALSE(IsDirectory(""));
    EXPECT_EQ(FileSize(file), 5);

    // Something already there is left alone, whatever it is.
    EXPECT_TRUE(CreateFolder(file));
    EXPECT_EQ(ReadAll(file), "12345");
    EXPECT_TRUE(RemoveItem(dir.filePath("missing")));
    EXPECT_EQ(ReadAll(LogPath()), logAtStart);

    EXPECT_TRUE(RemoveItem(dir.filePath("a")));
    EXPECT_FALSE(FileExists(bundle));

    // Below a plain file no folder can be made, whoever runs the test.
    EXPECT_FALSE(CreateFolder(file + "/sub"));
    EXPECT_TRUE(ReadAll(LogPath()).contains("Tavo::The folder “" + file.toUtf8() +
                                            "/sub” could not be created: "));
}

TEST(FileUtilsTest, PasteboardFileNameIsTheFirstLocalFile) {
    QMimeData data;
    data.setText("/not/a/file/list");
    EXPECT_TRUE(PasteboardFileName(&data).isNull());
    data.setUrls({QUrl("https://example.com/a.qxp"), QUrl::fromLocalFile("/jobs/Plan 1.qxd")});
    EXPECT_EQ(PasteboardFileName(&data), "/jobs/Plan 1.qxd");
}

TEST(FileUtilsTest, DesktopEntryCommandsFillInTheFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath("ed.desktop");
    const auto command = [&](const QByteArray &exec, const QStringList &files) {
        EXPECT_TRUE(WriteAll(path, "[Desktop Entry]\nName=Plain Ed\nIcon=ed\nExec=" + exec +
                                       "\n[Desktop Action new]\nExec=wrong\n"));
        return DesktopEntry::load(path)->command(files);
    };
    EXPECT_EQ(command(R"("/opt/my ed/ed" --title=%c %i "say \\"hi\\"" 100%% %F)", {"/a b", "/c"}),
              QStringList({"/opt/my ed/ed", "--title=Plain Ed", "--icon", "ed", "say \"hi\"",
                           "100%", "/a b", "/c"}));
    EXPECT_EQ(command("view %u --from %k", {"/a b"}),
              QStringList({"view", "file:///a%20b", "--from", path}));
    EXPECT_EQ(command("view %f", {}), QStringList{"view"});
    // An entry that forgets the field code still gets the file.
    EXPECT_EQ(command("view --new", {"/a"}), QStringList({"view", "--new", "/a"}));
}

// A desktop of our own: applications, associations and the system's MIME
// database, with a recorder in place of the launcher.
class OpeningTest : public ::testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(share());
        ASSERT_TRUE(QFile::link("/usr/share/mime", share() + "/mime"));
        previous = SetDesktopLauncher([this](const QString &e, const QStringList &f, bool d) {
            launches.append(QStringList{e} + f + QStringList{d ? "deactivate" : "stay"});
            return launchResult;
        });
    }
    void TearDown() override { SetDesktopLauncher(previous); }

    QString share() const { return root.filePath("share"); }
    QString app(const QString &id, const QByteArray &more = {}) {
        const QString path = share() + "/applications/" + id;
        EXPECT_TRUE(WriteAll(path, "[Desktop Entry]\nType=Application\nExec=run %f\n" + more));
        return path;
    }

    QTemporaryDir root;
    ScopedEnv dataHome{"XDG_DATA_HOME", QFile::encodeName(root.filePath("home-share"))};
    ScopedEnv dataDirs{"XDG_DATA_DIRS", QFile::encodeName(share())};
    ScopedEnv configHome{"XDG_CONFIG_HOME", QFile::encodeName(root.filePath("config"))};
    ScopedEnv desktop{"XDG_CURRENT_DESKTOP", QByteArray()};
    DesktopLauncher previous;
    QList<QStringList> launches;
    bool launchResult = true;
};

TEST_F(OpeningTest, AFileGoesToItsTypesAppThenTheTextAppThenTheEditor) {
    const QString png = root.filePath("Pic.png");
    const QString qxd = root.filePath("Plan.qxd");
    const QString c = root.filePath("main.c");
    for (const QString &f : {png, qxd, c})
        ASSERT_TRUE(WriteAll(f, "x"));

    // Nothing claims anything: the editor fallback, which is not installed.
    EXPECT_EQ(AppNameForExtension("png", "txt", "fallback.desktop"), "fallback.desktop");
    EXPECT_FALSE(OpenItem(png));

    app("viewer.desktop", "MimeType=image/png;\n");
    app("term.desktop", "MimeType=text/plain;\nTerminal=true\n");
    app("gone.desktop", "MimeType=text/plain;\nHidden=true\n");
    const QString zed = app("zed.desktop", "MimeType=text/plain;\n");
    EXPECT_EQ(AppNameForExtension("PNG", "txt", "fallback.desktop"), "viewer.desktop");
    EXPECT_EQ(AppNameForExtension("qxd", "txt", "fallback.desktop"), "zed.desktop");

    // The user's default wins over what applications declare; a default that
    // is not installed is passed over, a removed association left out.
    const QString paint = app("paint.desktop");
    app("notes.desktop", "MimeType=text/plain;\n");
    ASSERT_TRUE(WriteAll(root.filePath("config/mimeapps.list"),
                         "[Default Applications]\nimage/png=missing.desktop;paint.desktop;\n"
                         "[Removed Associations]\ntext/plain=notes.desktop;\n"
                         "[Added Associations]\ntext/plain=notes.desktop;\n"));
    ASSERT_TRUE(OpenItem(png));
    ASSERT_TRUE(OpenItem(qxd));
    // text/x-csrc has no application of its own; its parent text/plain has.
    ASSERT_TRUE(OpenFileWithApp(c, QString(), false));
    EXPECT_EQ(launches,
              QList<QStringList>(
                  {{paint, png, "deactivate"}, {zed, qxd, "deactivate"}, {zed, c, "stay"}}));

    ASSERT_TRUE(WriteAll(share() + "/applications/mimeinfo.cache",
                         "[MIME Cache]\ntext/plain=viewer.desktop;\n"));
    EXPECT_EQ(AppNameForExtension("qxd", "txt", "fallback.desktop"), "viewer.desktop");
}

TEST_F(OpeningTest, NamedAppsFoldersAndFailures) {
    const QString doc = root.filePath("Plan.qxd");
    ASSERT_TRUE(WriteAll(doc, "x"));
    const QString kate = app("kde4-kate.desktop");
    const QString kwrite = app("kde4/kwrite.desktop");
    EXPECT_TRUE(OpenFileWithApp(doc, "kde4-kate.desktop", true));
    EXPECT_TRUE(OpenFileWithApp(doc, "kde4-kwrite", true));
    EXPECT_FALSE(OpenFileWithApp(doc, "nothing.desktop", true));
    EXPECT_FALSE(OpenFileWithApp(root.filePath("missing.qxd"), "kde4-kate.desktop", true));

    // Folders go to the file manager that the desktop names.
    const QString folder = root.filePath("Jobs");
    QDir().mkpath(folder);
    EXPECT_FALSE(OpenItem(folder));
    const QString files = app("files.desktop", "MimeType=inode/directory;\n");
    EXPECT_TRUE(OpenItem(folder));
    EXPECT_EQ(launches, QList<QStringList>({{kate, doc, "deactivate"},
                                            {kwrite, doc, "deactivate"},
                                            {files, folder, "deactivate"}}));
    launchResult = false;
    EXPECT_FALSE(OpenItem(folder));
}

} // namespace
