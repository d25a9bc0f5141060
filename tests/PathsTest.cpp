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
    EXPECT_EQ(BuildPath("/f/", "/Tavo", "plist"), "/f/Tavo.plist");
    // Without a home there are no user folders, and nothing is built below
    // them, rather than paths relative to wherever Tavo was started.
    ScopedEnv noHome("HOME", "");
    ScopedEnv noConfig("XDG_CONFIG_HOME", QByteArray());
    EXPECT_TRUE(BuildPath(DocumentsFolder(), "Tavo", "txt").isNull());
    EXPECT_TRUE(BuildPath(ApplicationSupportFolder(), "Vellmoran").isNull());
}

TEST(PathsTest, TextComparisonsKeepAbsentAndEmptyApart) {
    EXPECT_TRUE(StringsEqual(QString(), QString()) && !StringsEqual(QString(), "") &&
                !StringsEqual("Quark", "quark"));
    EXPECT_TRUE(StringInArray("", {"a", ""}) && !StringInArray(QString(), {"", "a"}));
    EXPECT_TRUE(HasPrefix("QuarkXPress 2016", "QuarkXPress"));
    for (const auto &[text, prefix] : {std::pair<QString, QString>{"QuarkXPress", ""},
                                       {"Adobe", "Adobe InDesign"},
                                       {QString(), "Q"}})
        EXPECT_FALSE(HasPrefix(text, prefix)) << text.toStdString() << prefix.toStdString();
}

TEST(PathsTest, PasteboardFileNameIsTheFirstLocalFileByItsBytes) {
    QMimeData data;
    data.setText("/not/a/file/list");
    EXPECT_TRUE(PasteboardFileName(&data).isNull());
    // A name that is not UTF-8 comes percent-encoded.
    data.setUrls({QUrl("https://example.com/a.qxp"), QUrl("file:///jobs/Z%FCrich%20%25.indd")});
    EXPECT_EQ(EncodeFileName(PasteboardFileName(&data)), "/jobs/Z\xfcrich %.indd");
}

} // namespace
