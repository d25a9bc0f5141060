// SPDX-License-Identifier: MIT
#include "StringsFixture.h"

#include "strings/AlertBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>

namespace {

using AlertsTest = StringsFixture;

const QByteArray kGerman = R"(<strings2>
  <appNotFound><de>Für %@ ist kein Ort festgelegt.</de></appNotFound>
  <copyright><de>© %d Vellmoran</de></copyright><yes><de>Ja</de></yes><no><de>Nein</de></no>
  <ok><de>OK</de></ok><cancel><de>Abbrechen</de></cancel><ignore><de>Ignorieren</de></ignore>
  <replace><de>%@ ersetzen?</de></replace><Hello><de>Hallo</de></Hello>
</strings2>)";

TEST_F(AlertsTest, AlertsCarryTavosTitleIconADetailAndTranslatedButtons) {
    AlertByKey("appNotFound", QStringLiteral("QuarkXPress 2016")); // no table: the key shows
    AlertByKey(nullptr);
    loadTable(kGerman, "de");
    SetAlertDetailByKey("copyright", 2019);
    EXPECT_EQ(alerts.size(), 1);
    AlertMessage("Hello"); // a format, not a key
    AlertByKey("appNotFound", QStringLiteral("QuarkXPress 2016"));
    AlertMessage(QString(), "an argument");
    ASSERT_EQ(alerts.size(), 3);
    EXPECT_EQ(alerts[0].message, "appNotFound");
    EXPECT_EQ(alerts[1].message, "Hello");
    EXPECT_EQ(alerts[1].detail, "© 2019 Vellmoran");
    EXPECT_EQ(alerts[2].message, "Für QuarkXPress 2016 ist kein Ort festgelegt.");
    EXPECT_TRUE(!alerts[2].detail.isNull() && alerts[2].detail.isEmpty()); // used up
    EXPECT_EQ(alerts[2].windowTitle, "Tavo");
    EXPECT_TRUE(alerts[2].iconPath.isNull()); // this bundle has no icon

    // A later detail replaces an earlier one, and a "%" in it stays as it is.
    writeResource("Vell.png", QByteArray());
    SetAlertDetailByKey("copyright", 1);
    SetAlertDetailByKey("%@ is 100%%", QStringLiteral("50%"));
    AlertByKey("unknownDocType");
    EXPECT_EQ(alerts.last().detail, "50% is 100%");
    EXPECT_TRUE(alerts.last().iconPath.endsWith("/Vell.png"));

    // Asking alerts offer translated buttons and answer their codes.
    alerts.clear();
    answers = {1, 0, 0, -1, 0};
    EXPECT_TRUE(AskYesNo("Sure?"));
    EXPECT_FALSE(AskYesNoByKey("replace", QStringLiteral("Plan.qxp")));
    EXPECT_FALSE(AskOkCancelByKey("replace", QStringLiteral("Plan.qxp")));
    EXPECT_EQ(AskYesNoCancelByKey("replace", QStringLiteral("Plan.qxp")), -1);
    EXPECT_EQ(AskYesIgnoreNoByKey("replace", QStringLiteral("Plan.qxp")), 0);
    ASSERT_EQ(alerts.size(), 5);
    EXPECT_EQ(alerts[1].message, "Plan.qxp ersetzen?");
    QList<QStringList> buttons;
    for (const AlertRequest &alert : alerts)
        buttons << QStringList{alert.defaultButton, alert.alternateButton, alert.otherButton};
    EXPECT_EQ(buttons, (QList<QStringList>{{"Ja", "Nein", QString()},
                                           {"Ja", "Nein", QString()},
                                           {"OK", "Abbrechen", QString()},
                                           {"Ja", "Nein", "Abbrechen"},
                                           {"Ja", "Ignorieren", "Nein"}}));
}

// An alert belongs to the window the user works in, else to the main window
// while Tavo is in the background; a caller may name the window.
TEST_F(AlertsTest, AnAlertIsOverTheWindowItBelongsTo) {
    QWidget prefs;
    QMainWindow main;
    main.show();
    prefs.show();
    QCoreApplication::processEvents();
    QApplication::setActiveWindow(nullptr);
    AlertMessage("in the background");
    QCoreApplication::processEvents(); // Tavo comes to the front with it
    EXPECT_EQ(QApplication::activeWindow(), &main);
    QApplication::setActiveWindow(&prefs);
    AlertMessage("at work");
    ShowAlertIn(new QWidget(&main), "named", QString());
    EXPECT_EQ(
        QList<QWidget *>({alerts.value(0).parent, alerts.value(1).parent, alerts.value(2).parent}),
        QList<QWidget *>({&main, &prefs, &main}));
}

TEST(AlertBoxTest, TheBoxKeepsButtonOrderCodesPlainTextsAndIcon) {
    AlertRequest request{"<b>Replace</b> Plan.qxp?", "<i>100%</i>", "Yes", "Ignore", "No", "Tavo",
                         ResourcePath("Vell", "png")};
    for (int pressed = 0; pressed < 3; ++pressed) {
        const std::unique_ptr<QMessageBox> box = CreateAlertBox(request);
        const auto *detail = box->findChild<QLabel *>("qt_msgbox_informativelabel");
        EXPECT_TRUE(detail && detail->text() == request.detail &&
                    detail->textFormat() == Qt::PlainText && box->textFormat() == Qt::PlainText);
        EXPECT_FALSE(box->iconPixmap().isNull());
        const QList<QAbstractButton *> buttons = box->buttons();
        ASSERT_EQ(buttons.size(), 3);
        EXPECT_EQ(buttons[0]->text() + buttons[1]->text() + buttons[2]->text(), "YesIgnoreNo");
        EXPECT_EQ(box->defaultButton(), buttons[0]);
        EXPECT_EQ(AlertCode(*box), -1); // closed without a button: the way out
        buttons[pressed]->click();
        EXPECT_EQ(AlertCode(*box), 1 - pressed);
    }

    // No titles at all still give the one default button; no icon, no image.
    const std::unique_ptr<QMessageBox> plain = CreateAlertBox(AlertRequest{});
    ASSERT_EQ(plain->buttons().size(), 1);
    EXPECT_TRUE(plain->iconPixmap().isNull());
    plain->buttons().first()->click();
    EXPECT_EQ(AlertCode(*plain), 1);
    // Beside the plain OK a second button is an offer; Escape stays OK.
    QWidget window;
    const std::unique_ptr<QMessageBox> offer = CreateAlertBox(
        AlertRequest{"No location", "", QString(), "Choose…", QString(), "Tavo", QString()},
        &window);
    EXPECT_EQ(offer->parentWidget(), &window);
    EXPECT_EQ(AlertCode(*offer), 1);
    offer->buttons().at(1)->click();
    EXPECT_EQ(AlertCode(*offer), 0);
}

} // namespace
