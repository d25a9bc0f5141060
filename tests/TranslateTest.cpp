// SPDX-License-Identifier: MIT
#include "StringsFixture.h"

#include "strings/Translate.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTextFrame>
#include <QTreeWidget>

#include <stdexcept>

namespace {

class TranslateTest : public StringsFixture {
protected:
    void SetUp() override {
        StringsFixture::SetUp();
        loadTable(R"(<strings><de>
  <Open>Öffnen</Open><File>Ablage</File><Ablage>twice</Ablage><Recent>Zuletzt</Recent>
  <Clear>Leeren</Clear><size>Größe</size><kind>Art</kind><first>second</first>
  <second>third</second><General>Allgemein</General><Settings>Einstellungen</Settings><empty/>
</de></strings>)",
                  "de");
        gStrings->insert("Really?", "Wirklich?");
    }
};

TEST_F(TranslateTest, TextsKeepOneTrailingMarkOutOfTheLookupAndMenusTranslateOnce) {
    const std::pair<QString, QString> cases[] = {
        {"Open…", "Öffnen…"},   {"Open!", "Öffnen!"}, {"Really?!", "Wirklich?!"},
        {"Open...", "Open..."}, {"Open: ", "Open: "}, {":", ":"},
        {"empty:", ":"},        {QString(), ""},
    };
    for (const auto &[text, translated] : cases) {
        EXPECT_EQ(TranslateString(text), translated) << text.toStdString();
        EXPECT_FALSE(TranslateString(text).isNull());
    }
    // Menus translate every item and submenu once.
    QMainWindow window;
    QMenu *file = window.menuBar()->addMenu("File");
    QAction *open = file->addAction("Open…");
    file->addSeparator();
    QMenu *recent = file->addMenu("Recent");
    QAction *clear = recent->addAction("Clear");
    TranslateMainMenu(window.menuBar());
    TranslateMenu(recent); // a menu's own title is its parent's business
    EXPECT_EQ(QStringList({file->title(), open->text(), recent->title(), clear->text()}),
              QStringList({"Ablage", "Öffnen…", "Zuletzt", "Leeren"}));
}

// A model that fails while its headers are read, as a broken view might.
class FailingModel : public QStandardItemModel {
public:
    using QStandardItemModel::QStandardItemModel;
    bool failing = false;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (failing)
            throw std::runtime_error("header %@ broken");
        return QStandardItemModel::headerData(section, orientation, role);
    }
};

// What was translated before a failure stays translated; the failure is told
// as it is, never as a format.
TEST_F(TranslateTest, AWindowIsTranslatedByKindThroughItsTree) {
    QWidget window;
    window.setWindowTitle("Settings");
    auto *label = new QLabel("Open:", &window);
    auto *combo = new QComboBox(&window);
    combo->setEditable(true);
    combo->addItems({"Open", "Clear"});
    auto *popUp = new QComboBox(&window);
    popUp->addItems({"first", "size", "other"});
    auto *tabs = new QTabWidget(&window);
    auto *inTab = new QPushButton("Clear", new QWidget);
    tabs->addTab(inTab->parentWidget(), "General");
    auto *box = new QGroupBox("Settings", &window);
    auto *scroll = new QScrollArea(box);
    scroll->setWidget(new QLabel("Open"));
    auto *plain = new QPlainTextEdit("Open", &window);
    auto *rich = new QTextEdit("Open", &window);
    // A header that no key matches falls back to its column's identifier.
    const QStringList headers{"Name", "Size", "Size", "", "size"};
    const QVariantList identifiers{QVariant(), "kind", QVariant(), "size", QVariant()};
    auto *table = new QTableWidget(1, 5, &window);
    table->setHorizontalHeaderLabels(headers);
    auto *tree = new QTreeWidget(&window);
    tree->setHeaderLabels(headers);
    for (QAbstractItemModel *model : {table->model(), tree->model()}) {
        for (int c = 0; c < 5; ++c)
            model->setHeaderData(c, Qt::Horizontal, identifiers[c], kColumnIdentifierRole);
    }

    auto *failing = new FailingModel(0, 1, &window); // the last child
    (new QTableView(&window))->setModel(failing);
    failing->failing = true;
    TranslateWindow(&window);
    failing->failing = false;
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].message, "header %@ broken");

    EXPECT_EQ(window.windowTitle() + label->text(), "EinstellungenÖffnen:");
    EXPECT_EQ(combo->currentText() + combo->itemText(1), "ÖffnenClear"); // its list is data
    // A pop-up's items are translated twice.
    EXPECT_EQ(popUp->itemText(0) + popUp->itemText(1) + popUp->itemText(2), "thirdGrößeother");
    EXPECT_EQ(tabs->tabText(0) + inTab->text(), "AllgemeinLeeren");
    EXPECT_EQ(box->title() + qobject_cast<QLabel *>(scroll->widget())->text(),
              "EinstellungenÖffnen");
    // Text views keep their text and get an inset of 0 by 2.
    EXPECT_EQ(plain->toPlainText(), "Open");
    EXPECT_EQ(plain->viewport()->geometry(), plain->contentsRect().adjusted(0, 2, 0, -2));
    const QTextFrameFormat inset = rich->document()->rootFrame()->frameFormat();
    EXPECT_EQ(QList<qreal>({inset.leftMargin(), inset.topMargin(), inset.rightMargin(),
                            inset.bottomMargin()}),
              QList<qreal>({0, 2, 0, 2}));
    for (QAbstractItemModel *model : {table->model(), tree->model()}) {
        QStringList shown;
        for (int c = 0; c < 5; ++c)
            shown << model->headerData(c, Qt::Horizontal).toString();
        EXPECT_EQ(shown, (QStringList{"Name", "Art", "Size", "", "Größe"}));
    }
}

} // namespace
