// SPDX-License-Identifier: MIT
#include "doc/OpenDocument.h"
#include "BundleFixtures.h"
#include "DesktopFixture.h"
#include "DocFixtures.h"
#include "platform/FileName.h"
#include "platform/Format.h"

#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>

#include <cstdio>
#include <sys/mount.h>

#include <gtest/gtest.h>

namespace {

class OpenDocumentTest : public DesktopFixture {
protected:
    // A bundle stored under `key` whose program records what it receives.
    void installApp(const QString &key, const QString &record) {
        EXPECT_TRUE(MakeRecordingBundle(path(record + ".app"), path(record)));
        gSettings->setValue(key, path(record + ".app"));
    }

    QString quark(const QString &name) {
        EXPECT_TRUE(WriteAll(path(name), FromHex("00004D4D58505233204C204C5850")));
        return path(name);
    }

    // Opens the document and answers the path the application got; the
    // open-document event it read goes to `event`.
    QByteArray open(const QString &doc, const QString &record = "rec") {
        QFile::remove(path(record + ".done"));
        OpenDoc(doc);
        if (!WaitForRecord(path(record)))
            return "(not launched)";
        event = ReadPropertyList(ReadAll(path(record + ".in"))).toMap();
        return ReadAll(path(record + ".arg"));
    }

    QVariantMap parameter(int i) const {
        return event.value("parameters").toList().value(i).toMap();
    }

    QVariantMap event;
};

TEST_F(OpenDocumentTest, QuarkDocumentsGetTheirSuffixOnlyWhenSetToOneAndAreNeverLost) {
    installApp("QuarkXPress 2016", "rec");
    gSettings->setAddSuffix(1);
    gSettings->setUseDocPrefs(1);
    EXPECT_EQ(open(quark("Plan.qxd")), QFile::encodeName(path("Plan.qxp")));
    EXPECT_FALSE(QFile::exists(path("Plan.qxd")));
    EXPECT_EQ(parameter(0).value("data").toByteArray(),
              QUrl::fromLocalFile(path("Plan.qxp")).toEncoded());
    EXPECT_EQ(parameter(1).value("keyword"), "KPRF");
    EXPECT_TRUE(alerts.isEmpty());
    // A wrapper reads the same in its environment, whatever Tavo inherited.
    ScopedEnv stale("TAVO_USE_DOC_PREFS", "stale");
    const auto environment = [&] {
        return "1|" + QFile::encodeName(path("Plan.qxp")) + '|' + ReadAll(path("rec.in"));
    };
    EXPECT_EQ(open(path("Plan.qxp")), QFile::encodeName(path("Plan.qxp")));
    EXPECT_EQ(ReadAll(path("rec.env")), environment());

    // The other names a QuarkXPress document may have.
    const std::pair<const char *, const char *> names[] = {{"Upper.QXD", "Upper.qxp"},
                                                           {"Kept.QXP", "Kept.QXP"},
                                                           {"Bare", "Bare.qxp"},
                                                           {".qxd", ".qxd.qxp"},
                                                           {"Notes.txt", "Notes.txt.qxp"}};
    for (const auto &[from, to] : names) {
        EXPECT_EQ(open(quark(from)), QFile::encodeName(path(to))) << from;
        EXPECT_TRUE(QFile::exists(path(to))) << to;
    }

    gSettings->setAddSuffix(2);
    gSettings->setUseDocPrefs(2);
    EXPECT_EQ(open(quark("Other.qxd")), QFile::encodeName(path("Other.qxd")));
    EXPECT_EQ(event.value("parameters").toList().size(), 1);
    EXPECT_TRUE(ReadAll(path("rec.env")).startsWith("0|"));

    // Renaming never costs a document: an existing Plan.qxp stays, a name that
    // cannot be taken leaves the document under its old one, and a name that
    // is not UTF-8 keeps its exact bytes.
    gSettings->setAddSuffix(1);
    ASSERT_TRUE(WriteAll(path("Plan.qxp"), "another job"));
    EXPECT_EQ(open(quark("Plan.qxd")), QFile::encodeName(path("Plan.qxd")));
    EXPECT_EQ(ReadAll(path("Plan.qxp")), "another job");
    EXPECT_EQ(log().count("Plan.qxd: "), 1) << log().constData();

    // ".qxp" would make the name longer than the file system allows.
    const QString longName = quark(QString(252, 'x'));
    EXPECT_EQ(open(longName), QFile::encodeName(longName));
    EXPECT_EQ(log().count(QFile::encodeName(longName) + ": "), 1);

    const QByteArray folder = QFile::encodeName(path(""));
    ASSERT_EQ(::rename(QFile::encodeName(quark("z")), folder + "Z\xfcrich.qxd"), 0);
    EXPECT_EQ(open(DecodeFileName(folder + "Z\xfcrich.qxd")), folder + "Z\xfcrich.qxp");
    EXPECT_EQ(parameter(0).value("data").toByteArray(),
              "file://" + folder.toPercentEncoding("/") + "Z%FCrich.qxp");
}

// A share (NFS, SMB, FUSE; here bindfs) knows no rename that refuses to
// replace: the document is renamed there all the same, and still nothing is
// replaced. Where the share refuses a hard link as well, it keeps its name.
TEST_F(OpenDocumentTest, RenamingOnAShareNeverCostsADocumentEither) {
    if (::geteuid() != 0 || !QFileInfo::exists("/dev/fuse") ||
        QStandardPaths::findExecutable("bindfs").isEmpty())
        GTEST_SKIP() << "a FUSE mount needs root, /dev/fuse and bindfs";
    ASSERT_TRUE(QDir().mkpath(path("jobs")) && QDir().mkpath(path("share")));
    if (QProcess::execute("bindfs", {path("jobs"), path("share")}) != 0)
        GTEST_SKIP() << "bindfs could not mount " << path("share").toStdString();
    const auto unmount = qScopeGuard([&] { ::umount2(qPrintable(path("share")), MNT_DETACH); });
    installApp("QuarkXPress 2016", "rec");
    gSettings->setAddSuffix(1);
    EXPECT_EQ(open(quark("share/Plan.qxd")), QFile::encodeName(path("share/Plan.qxp")));
    ASSERT_TRUE(WriteAll(path("share/Plan.qxp"), "another job"));
    EXPECT_EQ(open(quark("share/Plan.qxd")), QFile::encodeName(path("share/Plan.qxd")));
    EXPECT_EQ(ReadAll(path("jobs/Plan.qxp")), "another job");

    // A colleague's read-only document, which the kernel lets nobody else
    // link: only a rename that may replace is left, and it is not used.
    ASSERT_TRUE(QFile::remove(path("jobs/Plan.qxp")));
    ASSERT_EQ(::chown(QFile::encodeName(path("jobs/Plan.qxd")), 65534, 65534), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path("jobs/Plan.qxd")), 0444), 0);
    {
        ObeyFilePermissions notTheOwner;
        EXPECT_EQ(open(path("share/Plan.qxd")), QFile::encodeName(path("share/Plan.qxd")));
    }
    EXPECT_EQ(QDir(path("jobs")).entryList(QDir::Files), QStringList("Plan.qxd"));
    EXPECT_TRUE(log().contains("Plan.qxd: The document was not renamed to “Plan.qxp”"))
        << log().constData();
}

TEST_F(OpenDocumentTest, InDesignOpensInItsVersionUnderItsName) {
    gSettings->setAddSuffix(1);
    installApp("Adobe InDesign CC 2019", "rec");
    const QString book = path("Book.indd");
    ASSERT_TRUE(WriteAll(book, InDesignVersionBytes(0x0E, 0, 0, 0, 0)));
    EXPECT_EQ(open(book), QFile::encodeName(book));

    // From 2021 on, versions have keys of their own, and fall back to the one
    // they had before; versions that always had a name do not.
    ASSERT_TRUE(WriteAll(book, InDesignVersionBytes(0x13, 0, 0, 0, 0)));
    OpenDoc(book);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].message, Format(GetString("appNotFound"), QString("Adobe InDesign 2024")));
    installApp("Adobe InDesign ??", "old");
    // 2021 to 2026, and a version below any known one, which is unnamed too.
    for (const QByteArray &head :
         {InDesignVersionBytes(0x10, 0, 0, 0, 0), InDesignVersionBytes(0x15, 0, 0, 0, 0),
          InDesignVersionBytes(0, 0, 0, 1, 0), InDesignVersionBytes(0x13, 0, 0, 0, 0)}) {
        ASSERT_TRUE(WriteAll(book, head));
        EXPECT_EQ(open(book, "old"), QFile::encodeName(book))
            << head.mid(29, 4).toHex().constData();
    }
    installApp("Adobe InDesign 2024", "rec");
    EXPECT_EQ(open(book), QFile::encodeName(book));
    ASSERT_TRUE(WriteAll(book, InDesignVersionBytes(0x0D, 0, 0, 0, 0)));
    OpenDoc(book);
    EXPECT_EQ(alerts.size(), 2);
}

TEST_F(OpenDocumentTest, WhatTheUserIsToldAndWhatGoesToTheLog) {
    gSettings->setAddSuffix(1);
    ASSERT_TRUE(WriteAll(path("notes.qxd"), QByteArray(600, 'x')));
    OpenDoc(path("notes.qxd"));
    OpenDoc(quark("Plan.qxd"));
    OpenDoc(QString());
    ASSERT_EQ(alerts.size(), 3);
    EXPECT_EQ(alerts[0].message, GetString("unknownDocType"));
    EXPECT_EQ(alerts[1].message, Format(GetString("appNotFound"), QString("QuarkXPress 2016")));
    EXPECT_TRUE(QFile::exists(path("notes.qxd")) && QFile::exists(path("Plan.qxd")));

    // A location that cannot be launched, or a stored value that is no text,
    // goes to the log only.
    gSettings->setAddSuffix(0);
    gSettings->setValue("QuarkXPress 2016", path("Gone.app"));
    OpenDoc(path("Plan.qxd"));
    gSettings->setValue("QuarkXPress 2016", QVariantList{"a", "b"});
    OpenDoc(path("Plan.qxd"));
    EXPECT_EQ(alerts.size(), 3);
    EXPECT_TRUE(log().contains("Gone.app")) << log().constData();
    EXPECT_TRUE(log().contains("There is no application at “(a, b)”")) << log().constData();

    // A table of the wrong shape is a damaged installation, not an unknown document.
    ASSERT_TRUE(QDir().mkpath(path("res")) &&
                WritePropertyListFile(path("res/DocTypes.plist"), QVariantMap{{"Quark", "x"}}));
    gBundle = Bundle(path("res"));
    OpenDoc(path("Plan.qxd"));
    const QString damaged = Format(GetString("damagedDocTypes"), path("res/DocTypes.plist"));
    EXPECT_EQ(alerts.value(3).message, damaged);
    EXPECT_TRUE(log().contains(damaged.toUtf8())) << log().constData();
}

} // namespace
