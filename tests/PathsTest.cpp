// SPDX-License-Identifier: MIT
#include "toolkit/Paths.h"
#include "TestSupport.h"
#include "platform/FileName.h"
#include "platform/Folders.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

TEST(PathsTest, ExtensionsSizesAndBuiltPaths) {
    for (const char *path : {"/a/Story.QXP", "/a/qxp", "/a/Story.qxp/"})
        EXPECT_TRUE(HasExtension(path, "qxp")) << path;
    for (const char *path : {"/a/Story.qxp.bak", "/a/Story.", ""})
        EXPECT_FALSE(HasExtension(path, "qxp")) << path;
    EXPECT_EQ(ReplaceExtension("/x.d/Story", "qxp"), "/x.d/Story.qxp");

    QTemporaryDir dir;
    ASSERT_TRUE(WriteAll(dir.filePath("plain"), "12345"));
    EXPECT_EQ(FileSize(dir.filePath("plain")), 5);
    EXPECT_EQ(FileSize(dir.filePath("missing")), 0);

    EXPECT_EQ(BuildPath("/f", "", "plist"), "/f");
    EXPECT_EQ(BuildPath("/f", QString(), "plist"), "/f");
    EXPECT_EQ(BuildPath("/f/", "/Tavo", "plist"), "/f/Tavo.plist");
    // Nothing is built below no folder (a user without a home), rather than
    // paths relative to wherever Tavo was started.
    EXPECT_TRUE(BuildPath(QString(), "Tavo", "txt").isNull());
}

// The user's folders come from the environment by their bytes, and a
// relative value counts as unset: it would name another folder for every
// folder Tavo is started from.
TEST(PathsTest, UserFoldersAreTheEnvironmentsBytesAndNeverRelative) {
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path()), home = root + "/h\xf6me";
    const QString h = DecodeFileName(home), dirs = dir.filePath("dirs");
    // The last valid line counts; "$HOME" is valid only with a home.
    ASSERT_TRUE(WriteAll(dir.filePath("dirs/user-dirs.dirs"),
                         "XDG_DOCUMENTS_DIR = \"/srv/\\\"jobs\\\"/\"\n# XDG_DOCUMENTS_DIR=\"/no\"\n"
                         "XDG_DOCUMENTS_DIR=\"$HOME/D\xf6k\"\nXDG_DOCUMENTS_DIR=\"relative\"\n"));
    const struct {
        QByteArray home, configHome, configDirs;
        QString documents;
        QStringList configFolders;
    } cases[] = {
        {"h", "c", "x:/etc/a::y", {}, {"/etc/a"}},
        {home, "c", "x", h + "/Documents", {h + "/.config", "/etc/xdg"}},
        {home, root + "/dirs", {}, DecodeFileName(home + "/D\xf6k"), {dirs, "/etc/xdg"}},
        {{}, root + "/dirs", {}, "/srv/\"jobs\"", {dirs, "/etc/xdg"}},
    };
    for (const auto &c : cases) {
        ScopedEnv homeEnv("HOME", c.home), configHome("XDG_CONFIG_HOME", c.configHome),
            configDirs("XDG_CONFIG_DIRS", c.configDirs);
        EXPECT_EQ(DocumentsFolder(), c.documents);
        EXPECT_EQ(ConfigurationFolders(), c.configFolders);
    }
    // What the libraries and the launched applications read is mended too.
    ScopedEnv homeEnv("HOME", "h"), runtime("XDG_RUNTIME_DIR", "/run/u"),
        dataDirs("XDG_DATA_DIRS", "a:/usr/share:b"), configDirs("XDG_CONFIG_DIRS", "x");
    DropRelativeFolderVariables();
    EXPECT_FALSE(qEnvironmentVariableIsSet("HOME") || qEnvironmentVariableIsSet("XDG_CONFIG_DIRS"));
    EXPECT_EQ(qgetenv("XDG_RUNTIME_DIR") + qgetenv("XDG_DATA_DIRS"), "/run/u/usr/share");
}

// Texts compare exactly, absent and empty apart; the pasteboard names its
// first local file by its bytes (a name that is not UTF-8 comes percent-encoded).
TEST(PathsTest, TextsCompareExactlyAndThePasteboardNamesItsFirstLocalFile) {
    EXPECT_TRUE(StringsEqual(QString(), QString()) && !StringsEqual(QString(), "") &&
                !StringsEqual("Quark", "quark"));
    EXPECT_TRUE(StringInArray("", {"a", ""}) && !StringInArray(QString(), {"", "a"}));
    EXPECT_TRUE(HasPrefix("QuarkXPress 2016", "QuarkXPress"));
    for (const auto &[text, prefix] : {std::pair<QString, QString>{"QuarkXPress", ""},
                                       {"Adobe", "Adobe InDesign"},
                                       {QString(), "Q"}})
        EXPECT_FALSE(HasPrefix(text, prefix)) << text.toStdString() << prefix.toStdString();
    QMimeData data;
    data.setUrls({QUrl("https://example.com/a.qxp"), QUrl("file:///jobs/Z%FCrich%20%25.indd")});
    EXPECT_EQ(EncodeFileName(PasteboardFileName(&data)), "/jobs/Z\xfcrich %.indd");
}

} // namespace
