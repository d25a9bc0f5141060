#include "toolkit/FileUtils.h"
#include "TestDesktop.h"
#include "TestSupport.h"
#include "platform/DesktopApps.h"
#include "platform/FileName.h"
#include "platform/Folders.h"
#include "toolkit/Log.h"

#include <QDeadlineTimer>
#include <QMimeData>
#include <QTemporaryDir>
#include <QThread>
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
    EXPECT_TRUE(BuildPath(QString(), "Tavo", "txt").isNull());

    // Without a home there are no user folders, rather than some below "/".
    ScopedEnv noHome("HOME", "");
    ScopedEnv noConfig("XDG_CONFIG_HOME", QByteArray());
    EXPECT_TRUE(DocumentsFolder().isNull());
    EXPECT_TRUE(ApplicationSupportFolder().isNull());
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
    // A name that is not UTF-8 comes percent-encoded, and keeps its bytes.
    data.setUrls({QUrl::fromEncoded("file:///jobs/Z%FCrich%20%25.indd")});
    EXPECT_EQ(EncodeFileName(PasteboardFileName(&data)), "/jobs/Z\xfcrich %.indd");
}

// The applications of tests/TestDesktop.h, with a recorder in place of the
// launcher unless a test asks for the real one.
class OpeningTest : public ::testing::Test {
protected:
    void SetUp() override {
        previous = SetDesktopLauncher([this](const QString &id, const QStringList &files, bool d) {
            launches.append(QStringList{id} + files + QStringList{d ? "deactivate" : "stay"});
            return true;
        });
    }
    void TearDown() override { SetDesktopLauncher(previous); }

    QTemporaryDir root;
    DesktopLauncher previous;
    QList<QStringList> launches;
};

TEST_F(OpeningTest, TheDesktopsDefaultsDecideWhatOpensAFileOrAFolder) {
    const QString pdf = root.filePath("Proof.PDF");
    const QString odd = root.filePath("notes.tavoz");
    ASSERT_TRUE(WriteAll(pdf, "%PDF-1.4") && WriteAll(odd, "x"));
    // The default whose program is not installed is passed over; a kind of
    // file no application opens goes to the one for plain text.
    ASSERT_TRUE(OpenItem(pdf));
    ASSERT_TRUE(OpenFileWithApp(odd, QString(), false));
    ASSERT_TRUE(OpenItem(root.path()));
    EXPECT_EQ(launches,
              QList<QStringList>({{"tavo-test-viewer.desktop", pdf, "deactivate"},
                                  {"tavo-test-editor.desktop", odd, "stay"},
                                  {"tavo-test-files.desktop", root.path(), "deactivate"}}));
    EXPECT_EQ(AppNameForExtension("tavoz", "tavoy", "fallback.desktop"), "fallback.desktop");
    EXPECT_FALSE(OpenItem(root.filePath("missing.pdf")));
    EXPECT_EQ(launches.size(), 3);
}

TEST_F(OpeningTest, TheRealLauncherStartsTheApplicationWithTheFile) {
    SetDesktopLauncher(nullptr);
    const QString pdf = root.filePath("Proof.pdf");
    ASSERT_TRUE(WriteAll(pdf, "%PDF-1.4 real"));
    EXPECT_FALSE(OpenFileWithApp(pdf, "tavo-test-none.desktop", true));
    ASSERT_TRUE(OpenItem(pdf));
    const QString copy = TestDesktopLaunchRecord();
    QDeadlineTimer deadline(20000);
    while (ReadAll(copy) != "%PDF-1.4 real" && !deadline.hasExpired())
        QThread::msleep(20);
    EXPECT_EQ(ReadAll(copy), "%PDF-1.4 real");
}

} // namespace
