// SPDX-License-Identifier: MIT
#include "doc/DesktopEntries.h"
#include "BundleFixtures.h"
#include "DesktopFixture.h"
#include "DocFixtures.h"
#include "EntryFixtures.h"
#include "doc/OpenDocument.h"
#include "platform/FileName.h"
#include "platform/Format.h"

#include <cstdio>

#include <gtest/gtest.h>

namespace {

// A desk of the test's own: stand-ins for wine, Bottles and a VM launcher on
// PATH, each recording what it is given, and a Wine prefix whose drive D:
// is the jobs folder and Z: the sandbox (the root in a real prefix).
class DesktopEntriesTest : public DesktopFixture {
protected:
    void SetUp() override {
        DesktopFixture::SetUp();
        for (const QString program : {"wine", "bottles-cli", "winapps"})
            ASSERT_TRUE(MakeRecordingProgram(path("bin/" + program), path(program)));
        ASSERT_TRUE(QDir().mkpath(path("pfx/dosdevices")) && QDir().mkpath(path("jobs")));
        ASSERT_TRUE(QFile::link(path(""), path("pfx/dosdevices/z:")));
        ASSERT_TRUE(QFile::link(path("jobs"), path("pfx/dosdevices/d:")));
        ASSERT_TRUE(QDir().mkpath(path("bare/dosdevices")));
    }

    // The sandbox's path of `name`, given as bytes.
    QByteArray native(const QByteArray &name) const {
        return QFile::encodeName(path("x")).chopped(1) + name;
    }

    // A QuarkXPress document named with the exact bytes `name`.
    QString quark(const QByteArray &name) {
        EXPECT_TRUE(WriteAll(path("new"), FromHex("00004D4D58505233204C204C5850")));
        EXPECT_EQ(::rename(native("new").constData(), native(name).constData()), 0);
        return DecodeFileName(native(name));
    }

    ScopedEnv mPath{"PATH", native("bin") + ':' + qgetenv("PATH")};
};

// Every shape of entry a desk has gets the document, renamed to ".qxp" and
// under its exact bytes, or the name its Windows program can reach, through
// GIO; what cannot be done goes to the log, with the reason.
TEST_F(DesktopEntriesTest, EveryShapeOfEntryGetsTheDocumentAsItsProgramNeedsIt) {
    gSettings->setAddSuffix(1);
    gSettings->setUseDocPrefs(1);
    const QByteArray prefix = "env WINEPREFIX=\"" + native("pfx") + "\" wine ";
    const QByteArray lnk = R"(C:\\\\users\\\\Public\\\\Quark\\ 2016.lnk)";
    const QByteArray windowsRoot = "Z:\\";
    const QByteArray here = QFile::encodeName(QDir::currentPath());
    const struct {
        const char *file;
        QByteArray lines;
        QByteArray document;
        const char *program; // null: not started, `expected` is in the log
        QByteArray expected;
        QByteArray folder;
    } rows[] = {
        {"wine/Programs/Quark/QuarkXPress 2016.desktop", "Exec=" + prefix + lnk, "jobs/Plan 1.qxd",
         "wine", R"([C:\users\Public\Quark 2016.lnk][D:\Plan 1.qxp])", here},
        {"wine/Programs/Quark/QuarkXPress 2016.desktop",
         "Exec=" + prefix + lnk + " /safe\nPath=" + native("jobs"), "50% off.qxd", "wine",
         R"([C:\users\Public\Quark 2016.lnk][/safe][)" + windowsRoot + "50% off.qxp]",
         native("jobs")},
        {"wine-extension-qxp.desktop",
         "NoDisplay=true\nExec=" + prefix + "start /ProgIDOpen QuarkXPress.Document %f",
         "Z\xfcrich.qxd", "wine",
         "[start][/ProgIDOpen][QuarkXPress.Document][" + native("Z\xfcrich.qxp") + "]", here},
        {"QuarkXPress 2016 (Bottles).desktop",
         R"(Exec=bottles-cli run -p "QuarkXPress 2016" -b "Quark Bottle" -- %u)", "jobs/Plan 3.qxd",
         "bottles-cli",
         "[run][-p][QuarkXPress 2016][-b][Quark Bottle][--][" + native("jobs/Plan 3.qxp") + "]",
         here},
        {"winapps-quark.desktop", "Exec=winapps quark %F", "jobs/a  b.qxd", "winapps",
         "[quark][" + native("jobs/a  b.qxp") + "]", here},
        {"wine/Programs/Quark/QuarkXPress 2016.desktop", "Exec=" + prefix + lnk, "Gen\xe8ve.qxd",
         nullptr, "Gen\\xe8ve.qxp\xe2\x80\x9d to a Windows program: its name is not UTF-8.", ""},
        {"wine/bare.desktop", "Exec=env WINEPREFIX=\"" + native("bare") + "\" wine " + lnk,
         "jobs/Plan 4.qxd", nullptr, "No drive of the Wine prefix", ""},
        {"winapps-menu.desktop", "Exec=winapps quark", "jobs/Plan 5.qxd", nullptr,
         "cannot open documents", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.document.constData());
        const QString entry =
            WriteEntry(path(QString("data/applications/") + row.file), "Quark", row.lines);
        gSettings->setValue("QuarkXPress 2016", entry);
        const QString record = path(row.program);
        QFile::remove(record + ".done");
        OpenDoc(quark(row.document));
        if (!row.program) {
            EXPECT_TRUE(log().contains(row.expected)) << log().constData();
            continue;
        }
        ASSERT_TRUE(WaitForRecord(record));
        QByteArray document = native(row.document);
        document.replace(".qxd", ".qxp");
        EXPECT_EQ(ReadAll(record + ".done"),
                  row.expected + '\n' + row.folder + '\n' + document + "\n1\n");
    }
    // Qt could not remove these with the sandbox.
    for (const char *name : {"Z\xfcrich.qxp", "Gen\xe8ve.qxp"})
        ::unlink(native(name).constData());
}

// Chosen or stored, an entry that cannot be given a document says why.
TEST_F(DesktopEntriesTest, EntriesThatCannotTakeADocumentSayWhy) {
    const struct {
        QByteArray lines;
        const char *key; // null: the entry can be used
        QString program;
    } rows[] = {
        {"Exec=winapps quark %F\n", nullptr, ""},
        {"Exec=env WINEPREFIX=/x WINEDEBUG=-all wine Q.lnk\n", nullptr, ""},
        {"Exec=winapps quark\n", "entryTakesNoDocument", ""},
        {"Exec=env WINEPREFIX=/x /opt/none/wine Q.lnk\n", "entryProgramMissing", "/opt/none/wine"},
        {"TryExec=quark-gone\nExec=winapps %f\n", "entryProgramMissing", "quark-gone"},
        {"Exec=quark-gone %f\n", "entryProgramMissing", "quark-gone"},
        {"Exec=\n", "entryNoCommand", ""},
        {"Type=Link\nURL=https://example.org/\n", "entryNotApplication", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.lines.constData());
        const QString refusal = DesktopEntryRefusal(WriteEntry(path("e.desktop"), "Q", row.lines));
        EXPECT_EQ(refusal,
                  row.key ? Format(GetString(row.key), QString("Q"), row.program) : QString());
    }
    ASSERT_TRUE(WriteAll(path("other.desktop"), "[Other]\nName=Q\n"));
    for (const QString file : {"other.desktop", "gone.desktop"})
        EXPECT_EQ(DesktopEntryRefusal(path(file)), Format(GetString("entryUnreadable"), file));
    EXPECT_TRUE(IsDesktopEntryPath(path("e.desktop")) && !IsDesktopEntryPath(path("Q.app")));
}

} // namespace
