#include "BundleFixtures.h"
#include "DesktopFixture.h"
#include "DocFixtures.h"
#include "doc/DropView.h"
#include "platform/FileName.h"
#include "platform/Format.h"

#include <fstream>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

const char *const kQuark2016 = "00004D4D58505233204C204C5850";

class OpenDocTest : public DesktopFixture {
protected:
    // A bundle for the settings key whose program records what it receives.
    QString installApp(const QString &key, const QString &record) {
        const QString bundle = path(key + ".app");
        EXPECT_TRUE(MakeRecordingBundle(bundle, record));
        return bundle;
    }

    // Opens the document and answers the path and event the application got.
    std::pair<QByteArray, QVariantMap> openAndReceive(const QString &doc, const QString &record) {
        view.openDoc(doc);
        if (!WaitForRecord(record))
            return {};
        return {ReadAll(record + ".arg"), ReadPropertyList(ReadAll(record + ".in")).toMap()};
    }

    static bool HasDocPrefs(const QVariantMap &event) {
        for (const QVariant &param : event.value("parameters").toList()) {
            if (param.toMap().value("keyword") == QLatin1String("KPRF"))
                return param.toMap().value("data").toByteArray() == "yes ";
        }
        return false;
    }

    DropView view;
};

TEST_F(OpenDocTest, QuarkDocumentsGetTheirSuffixAndTheirOwnPreferencesWhenAsked) {
    gSettings->setValue("QuarkXPress 2016", installApp("QuarkXPress 2016", path("rec")));
    gSettings->setAddSuffix(1);
    gSettings->setUseDocPrefs(1);
    const QString plan = path("Plan.qxd");
    ASSERT_TRUE(WriteFile(plan, FromHex(kQuark2016)));

    const auto [argument, event] = openAndReceive(plan, path("rec"));
    EXPECT_EQ(argument, QFile::encodeName(path("Plan.qxp")));
    EXPECT_FALSE(QFile::exists(plan));
    EXPECT_TRUE(QFile::exists(path("Plan.qxp")));
    EXPECT_EQ(event.value("eventClass").toString(), QLatin1String("aevt"));
    EXPECT_EQ(event.value("eventID").toString(), QLatin1String("odoc"));
    const QVariantMap direct = event.value("parameters").toList().value(0).toMap();
    EXPECT_EQ(direct.value("keyword").toString(), QLatin1String("----"));
    EXPECT_EQ(direct.value("descriptorType").toString(), QLatin1String("bmrk"));
    EXPECT_EQ(direct.value("data").toByteArray(),
              QUrl::fromLocalFile(path("Plan.qxp")).toEncoded());
    EXPECT_TRUE(HasDocPrefs(event));
    EXPECT_TRUE(alerts.isEmpty());

    // The other names a QuarkXPress document may have.
    const std::pair<const char *, const char *> names[] = {{"Upper.QXD", "Upper.qxp"},
                                                           {"Kept.QXP", "Kept.QXP"},
                                                           {"Bare", "Bare.qxp"},
                                                           {"Notes.txt", "Notes.txt.qxp"}};
    for (const auto &[from, to] : names) {
        SCOPED_TRACE(from);
        QFile::remove(path("rec.done"));
        ASSERT_TRUE(WriteFile(path(from), FromHex(kQuark2016)));
        EXPECT_EQ(openAndReceive(path(from), path("rec")).first, QFile::encodeName(path(to)));
        EXPECT_TRUE(QFile::exists(path(to)));
    }
}

TEST_F(OpenDocTest, NoSuffixAndNoDocPrefsUnlessSetToOne) {
    gSettings->setValue("QuarkXPress 2016", installApp("QuarkXPress 2016", path("rec")));
    gSettings->setAddSuffix(0);
    gSettings->setUseDocPrefs(2);
    ASSERT_TRUE(WriteFile(path("Plan.qxd"), FromHex(kQuark2016)));
    const auto [argument, event] = openAndReceive(path("Plan.qxd"), path("rec"));
    EXPECT_EQ(argument, QFile::encodeName(path("Plan.qxd")));
    EXPECT_FALSE(HasDocPrefs(event));
    EXPECT_EQ(event.value("parameters").toList().size(), 1);
}

TEST_F(OpenDocTest, InDesignOpensInItsVersionAndKeepsItsName) {
    gSettings->setValue("Adobe InDesign CC 2019", installApp("InDesign", path("rec")));
    gSettings->setValue("Adobe InDesign CC 2018", path("missing.app"));
    gSettings->setAddSuffix(1);
    const QString book = path("Book.indd");
    ASSERT_TRUE(WriteFile(book, InDesignVersionBytes(0x0E, 0, 0, 0, 0)));
    EXPECT_EQ(openAndReceive(book, path("rec")).first, QFile::encodeName(book));
    EXPECT_TRUE(QFile::exists(book));
}

TEST_F(OpenDocTest, ALocationOnlyTheDefaultsKnowIsFoundAndKept) {
    presetDefaults({{"QuarkXPress 2016", installApp("Shared Quark", path("rec"))}});
    ASSERT_TRUE(WriteFile(path("Plan.qxd"), FromHex(kQuark2016)));
    EXPECT_EQ(openAndReceive(path("Plan.qxd"), path("rec")).first,
              QFile::encodeName(path("Plan.qxd")));
    EXPECT_EQ(gSettings->dict().value("QuarkXPress 2016").toString(), path("Shared Quark.app"));
}

// Renaming never costs a document: an existing Plan.qxp stays, and a name
// that cannot be taken leaves the document under its old one.
TEST_F(OpenDocTest, ADocumentThatCannotBeRenamedOpensUnderItsOldName) {
    gSettings->setValue("QuarkXPress 2016", installApp("QuarkXPress 2016", path("rec")));
    gSettings->setAddSuffix(1);
    ASSERT_TRUE(WriteFile(path("Plan.qxd"), FromHex(kQuark2016)));
    ASSERT_TRUE(WriteFile(path("Plan.qxp"), "another job"));
    EXPECT_EQ(openAndReceive(path("Plan.qxd"), path("rec")).first,
              QFile::encodeName(path("Plan.qxd")));
    EXPECT_EQ(ReadAll(path("Plan.qxp")), QByteArray("another job"));
    EXPECT_TRUE(QFile::exists(path("Plan.qxd")));
    EXPECT_TRUE(log().contains("Plan.qxd: ")) << log().constData();

    // ".qxp" would make the name longer than the file system allows.
    const QString longName = path(QString(252, 'x'));
    ASSERT_TRUE(WriteFile(longName, FromHex(kQuark2016)));
    QFile::remove(path("rec.done"));
    EXPECT_EQ(openAndReceive(longName, path("rec")).first, QFile::encodeName(longName));
    EXPECT_TRUE(QFile::exists(longName));
    EXPECT_EQ(log().count(QFile::encodeName(longName) + ": "), 1);
}

TEST_F(OpenDocTest, UnknownDocumentsAndMissingApplicationsAreToldToTheUser) {
    gSettings->setAddSuffix(1);
    ASSERT_TRUE(WriteFile(path("notes.qxd"), QByteArray(600, 'x')));
    view.openDoc(path("notes.qxd"));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].message, GetString("unknownDocType"));
    EXPECT_TRUE(QFile::exists(path("notes.qxd")));

    ASSERT_TRUE(WriteFile(path("Plan.qxd"), FromHex(kQuark2016)));
    view.openDoc(path("Plan.qxd"));
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts[1].message,
              Format(GetString("appNotFound"), QStringLiteral("QuarkXPress 2016")));
    EXPECT_TRUE(alerts[1].message.contains("QuarkXPress 2016"));
    EXPECT_TRUE(QFile::exists(path("Plan.qxd")));

    view.openDoc(QString());
    EXPECT_EQ(alerts.size(), 3);
}

TEST_F(OpenDocTest, ANameThatIsNotUtf8OpensByItsExactBytes) {
    gSettings->setValue("QuarkXPress 2016", installApp("QuarkXPress 2016", path("rec")));
    gSettings->setAddSuffix(1);
    const QByteArray folder = QFile::encodeName(path(""));
    std::ofstream(folder + "Z\xfcrich.qxd") << FromHex(kQuark2016).toStdString();
    const auto [argument, event] =
        openAndReceive(DecodeFileName(folder + "Z\xfcrich.qxd"), path("rec"));
    EXPECT_EQ(argument, folder + "Z\xfcrich.qxp");
    EXPECT_EQ(::access(folder + "Z\xfcrich.qxp", F_OK), 0);
    const QVariantMap direct = event.value("parameters").toList().value(0).toMap();
    EXPECT_EQ(direct.value("data").toByteArray(),
              "file://" + folder.toPercentEncoding("/") + "Z%FCrich.qxp");
}

TEST_F(OpenDocTest, LaterInDesignVersionsHaveKeysOfTheirOwnAndKeepTheOldOne) {
    const QString book = path("Book.indd");
    // A head as InDesign 19.5 (2024) writes it.
    ASSERT_TRUE(WriteFile(book, InDesignHead({0x01, 0x70, 0x0F, 0x00, 0x00, 0x13, 0, 0, 0, 5})));
    view.openDoc(book);
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].message,
              Format(GetString("appNotFound"), QStringLiteral("Adobe InDesign 2024")));

    // Where only the key these documents had before holds a location, it opens them;
    // their own key comes first.
    gSettings->setValue("Adobe InDesign ??", installApp("Old key", path("old")));
    EXPECT_EQ(openAndReceive(book, path("old")).first, QFile::encodeName(book));
    gSettings->setValue("Adobe InDesign 2024", installApp("InDesign 2024", path("rec")));
    EXPECT_EQ(openAndReceive(book, path("rec")).first, QFile::encodeName(book));

    // Versions that always had a name of their own do not fall back.
    ASSERT_TRUE(WriteFile(path("cc.indd"), InDesignVersionBytes(0x0E, 0, 0, 0, 0)));
    view.openDoc(path("cc.indd"));
    EXPECT_EQ(alerts.size(), 2);
}

TEST_F(OpenDocTest, ALaunchThatFailsGoesToTheLogNotToTheUser) {
    gSettings->setValue("QuarkXPress 2016", path("Gone.app"));
    ASSERT_TRUE(WriteFile(path("Plan.qxd"), FromHex(kQuark2016)));
    const QByteArray before = log();
    view.openDoc(path("Plan.qxd"));
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_GT(log().size(), before.size());
    EXPECT_TRUE(log().contains("Gone.app"));

    // A stored value that is no text names no place either.
    gSettings->setValue("QuarkXPress 2016", QVariantList{"a", "b"});
    view.openDoc(path("Plan.qxd"));
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_TRUE(log().contains("There is no application at “(a, b)”")) << log().constData();
}

} // namespace
