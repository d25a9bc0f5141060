#include "StringsFixture.h"

#include "strings/AlertBox.h"

#include <QAbstractButton>
#include <QImage>
#include <QLabel>
#include <QPushButton>

namespace {

using AlertsTest = StringsFixture;

const QByteArray kGerman = R"(<strings2>
  <appNotFound><de>Für %@ ist kein Ort festgelegt.</de></appNotFound>
  <copyright><de>© %d Vellmoran</de></copyright>
  <yes><de>Ja</de></yes><no><de>Nein</de></no><ok><de>OK</de></ok>
  <cancel><de>Abbrechen</de></cancel><ignore><de>Ignorieren</de></ignore>
  <replace><de>%@ ersetzen?</de></replace>
  <Hello><de>Hallo</de></Hello>
</strings2>)";

TEST_F(AlertsTest, EveryAlertCarriesTavosTitleIconAndADetail) {
    EXPECT_EQ(ShowAlert(QStringLiteral("Message"), QString(), QStringLiteral("A"),
                        QStringLiteral("B"), QStringLiteral("C")),
              1);
    answers = {-1};
    EXPECT_EQ(ShowAlert(QStringLiteral("Again"), QStringLiteral("50% off <b>")), -1);
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts[0].windowTitle, QLatin1String("Tavo"));
    EXPECT_EQ(alerts[1].windowTitle, QLatin1String("Tavo"));
    EXPECT_FALSE(alerts[0].detail.isNull());
    EXPECT_EQ(alerts[0].defaultButton, QLatin1String("A"));
    EXPECT_EQ(alerts[0].alternateButton, QLatin1String("B"));
    EXPECT_EQ(alerts[0].otherButton, QLatin1String("C"));
    EXPECT_EQ(alerts[1].detail, QLatin1String("50% off <b>"));
    EXPECT_TRUE(alerts[1].defaultButton.isNull());
    // This bundle has no icon; the alert is shown all the same.
    EXPECT_TRUE(alerts[0].iconPath.isNull());
    writeResource(QStringLiteral("Vell.png"), QByteArray());
    ShowAlert(QStringLiteral("With icon"), QString());
    EXPECT_TRUE(alerts.last().iconPath.endsWith(QLatin1String("/Vell.png")));
}

TEST_F(AlertsTest, TheDetailAppliesToTheNextAlertOnly) {
    loadTable(kGerman, QStringLiteral("de"));
    SetAlertDetailByKey("copyright", 2019);
    EXPECT_TRUE(alerts.isEmpty());
    AlertMessage(QStringLiteral("Hello"));
    AlertMessage(QStringLiteral("Hello"));
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts[0].detail, QString::fromUtf8("© 2019 Vellmoran"));
    EXPECT_EQ(alerts[1].detail, QLatin1String(""));
    // A format is not a key: "Hello" stays "Hello".
    EXPECT_EQ(alerts[0].message, QLatin1String("Hello"));

    // A later detail replaces an earlier one; "%" in the result stays.
    SetAlertDetailByKey("copyright", 1);
    SetAlertDetailByKey("%@ is 100%%", QStringLiteral("50%"));
    AlertByKey("unknownDocType");
    EXPECT_EQ(alerts.last().detail, QLatin1String("50% is 100%"));

    AlertMessage(QString());
    AlertMessage(QString(), QStringLiteral("argument"));
    EXPECT_EQ(alerts.size(), 3);
}

TEST_F(AlertsTest, KeysAreLookedUpAndUsedAsFormats) {
    AlertByKey("appNotFound", QStringLiteral("QuarkXPress 2016"));
    AlertByKey("unknownDocType");
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts[0].message, QLatin1String("appNotFound"));
    EXPECT_EQ(alerts[1].message, QLatin1String("unknownDocType"));

    loadTable(kGerman, QStringLiteral("de"));
    AlertByKey("appNotFound", QStringLiteral("QuarkXPress 2016"));
    EXPECT_EQ(alerts.last().message,
              QString::fromUtf8("Für QuarkXPress 2016 ist kein Ort festgelegt."));
    AlertMessage(QStringLiteral("%@"), QStringLiteral("appNotFound %d"));
    EXPECT_EQ(alerts.last().message, QLatin1String("appNotFound %d"));
}

// Translators' texts are formats; a wrong one must still show something.
TEST_F(AlertsTest, FaultyTranslatedFormatsShowSensibleTexts) {
    loadTable(R"(<strings><en>
      <appNotFound>%@ is missing, see %@ (%d%%) in %s</appNotFound>
      <about>%@ %s, version %s%s</about>
      <copyright>%n%p%9$@</copyright>
    </en></strings>)",
              QStringLiteral("en"));
    AlertByKey("appNotFound", QStringLiteral("QuarkXPress 2016"));
    AlertByKey("about", "Tavo", "2.20");
    AlertByKey("copyright", 2019);
    ASSERT_EQ(alerts.size(), 3);
    EXPECT_EQ(alerts[0].message,
              QLatin1String("QuarkXPress 2016 is missing, see (null) ((null)%) in (null)"));
    EXPECT_EQ(alerts[1].message, QLatin1String("Tavo 2.20, version (null)(null)"));
    EXPECT_EQ(alerts[2].message, QLatin1String("%n%p(null)"));

    // "%s" given a text shows the text.
    loadTable("<strings><en><appNotFound>No location for %s.</appNotFound></en></strings>",
              QStringLiteral("en"));
    AlertByKey("appNotFound", QStringLiteral("InDesign CS6"));
    EXPECT_EQ(alerts.last().message, QLatin1String("No location for InDesign CS6."));
}

TEST_F(AlertsTest, AskingAlertsOfferTranslatedButtonsAndAnswerTheirCodes) {
    answers = {1, 0, -1};
    EXPECT_TRUE(AskYesNo(QStringLiteral("Sure?")));
    EXPECT_FALSE(AskYesNo(QStringLiteral("Sure?")));
    EXPECT_FALSE(AskYesNoByKey("replace", QStringLiteral("Plan.qxp")));
    ASSERT_EQ(alerts.size(), 3);
    EXPECT_EQ(alerts[0].defaultButton, QLatin1String("yes"));
    EXPECT_EQ(alerts[0].alternateButton, QLatin1String("no"));
    EXPECT_TRUE(alerts[0].otherButton.isNull());
    EXPECT_EQ(alerts[2].message, QLatin1String("replace"));

    loadTable(kGerman, QStringLiteral("de"));
    answers = {1, 0, -1, 0, 1};
    EXPECT_TRUE(AskOkCancelByKey("replace", QStringLiteral("Plan.qxp")));
    EXPECT_FALSE(AskOkCancelByKey("replace", QStringLiteral("Plan.qxp")));
    EXPECT_EQ(AskYesNoCancelByKey("replace", QStringLiteral("Plan.qxp")), -1);
    EXPECT_EQ(AskYesIgnoreNoByKey("replace", QStringLiteral("Plan.qxp")), 0);
    EXPECT_TRUE(AskYesNoByKey("replace", QStringLiteral("Plan.qxp")));
    ASSERT_EQ(alerts.size(), 8);
    EXPECT_EQ(alerts[3].message, QLatin1String("Plan.qxp ersetzen?"));
    EXPECT_EQ(alerts[3].defaultButton, QLatin1String("OK"));
    EXPECT_EQ(alerts[3].alternateButton, QLatin1String("Abbrechen"));
    EXPECT_EQ(alerts[5].defaultButton, QLatin1String("Ja"));
    EXPECT_EQ(alerts[5].alternateButton, QLatin1String("Nein"));
    EXPECT_EQ(alerts[5].otherButton, QLatin1String("Abbrechen"));
    EXPECT_EQ(alerts[6].alternateButton, QLatin1String("Ignorieren"));
    EXPECT_EQ(alerts[6].otherButton, QLatin1String("Nein"));
}

TEST_F(AlertsTest, TheMessageBoxKeepsButtonOrderCodesAndPlainTexts) {
    AlertRequest request;
    request.message = QStringLiteral("<b>Replace</b> Plan.qxp?");
    request.detail = QStringLiteral("<i>100%</i>");
    request.defaultButton = QStringLiteral("Yes");
    request.alternateButton = QStringLiteral("Ignore");
    request.otherButton = QStringLiteral("No");
    request.windowTitle = QStringLiteral("Tavo");

    for (int pressed = 0; pressed < 3; ++pressed) {
        const std::unique_ptr<QMessageBox> box = CreateAlertBox(request);
        EXPECT_EQ(box->windowTitle(), QLatin1String("Tavo"));
        EXPECT_EQ(box->text(), request.message);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->informativeText(), request.detail);
        const auto *detail = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
        ASSERT_TRUE(detail);
        EXPECT_EQ(detail->textFormat(), Qt::PlainText);

        const QList<QAbstractButton *> buttons = box->buttons();
        ASSERT_EQ(buttons.size(), 3);
        EXPECT_EQ(buttons[0]->text(), QLatin1String("Yes"));
        EXPECT_EQ(buttons[1]->text(), QLatin1String("Ignore"));
        EXPECT_EQ(buttons[2]->text(), QLatin1String("No"));
        EXPECT_EQ(box->defaultButton(), buttons[0]);
        EXPECT_EQ(box->escapeButton(), buttons[2]);
        EXPECT_EQ(AlertCode(*box), -1); // closed without a button
        buttons[pressed]->click();
        EXPECT_EQ(AlertCode(*box), 1 - pressed);
    }

    // A box with no titles at all still has its one default button.
    const std::unique_ptr<QMessageBox> plain = CreateAlertBox(AlertRequest{});
    ASSERT_EQ(plain->buttons().size(), 1);
    plain->buttons().first()->click();
    EXPECT_EQ(AlertCode(*plain), 1);
}

} // namespace

namespace {

TEST(AlertIconTest, TheShippedIconIsShownInTheBox) {
    AlertRequest request;
    request.iconPath = ResourcePath(QStringLiteral("Vell"), QStringLiteral("png"));
    ASSERT_FALSE(request.iconPath.isNull());
    EXPECT_EQ(QImage(request.iconPath).size(), QSize(256, 256));
    EXPECT_FALSE(CreateAlertBox(request)->iconPixmap().isNull());

    request.iconPath = QStringLiteral("/no/such/Vell.png");
    EXPECT_TRUE(CreateAlertBox(request)->iconPixmap().isNull());
}

} // namespace
