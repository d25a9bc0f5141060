#include "StringsFixture.h"

#include "strings/Translate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
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
  <Open>Öffnen</Open><File>Ablage</File><Ablage>looked up twice</Ablage>
  <Recent>Zuletzt benutzt</Recent><Clear>Leeren</Clear><Name>Name</Name>
  <size>Größe</size><kind>Art</kind><first>second</first><second>third</second>
  <General>Allgemein</General><Options>Optionen</Options><choose>Auswählen</choose>
  <Settings>Einstellungen</Settings><empty/>
</de></strings>)",
                  "de");
        gStrings->insert("Really?", "Wirklich?");
    }
};

TEST_F(TranslateTest, OneTrailingMarkIsKeptOutOfTheLookup) {
    EXPECT_EQ(TranslateString(QString::fromUtf8("Open…")), QString::fromUtf8("Öffnen…"));
    EXPECT_EQ(TranslateString("Open!"), QString::fromUtf8("Öffnen!"));
    EXPECT_EQ(TranslateString("Really?!"), "Wirklich?!");
    EXPECT_EQ(TranslateString("Open..."), "Open...");
    EXPECT_EQ(TranslateString("Open: "), "Open: ");
    EXPECT_EQ(TranslateString("Nothing:"), "Nothing:");
    EXPECT_EQ(TranslateString(":"), ":");
    EXPECT_EQ(TranslateString("empty:"), ":");
    EXPECT_EQ(TranslateString(QString()), "");
    EXPECT_FALSE(TranslateString(QString()).isNull());
}

TEST_F(TranslateTest, MenusTranslateEveryItemAndSubmenuOnce) {
    QMainWindow window;
    QMenuBar *bar = window.menuBar();
    QMenu *file = bar->addMenu("File");
    QAction *open = file->addAction(QString::fromUtf8("Open…"));
    file->addSeparator();
    QMenu *recent = file->addMenu("Recent");
    QAction *clear = recent->addAction("Clear");

    TranslateMainMenu(bar);
    EXPECT_EQ(file->title(), "Ablage"); // not "looked up twice"
    EXPECT_EQ(open->text(), QString::fromUtf8("Öffnen…"));
    EXPECT_EQ(recent->title(), "Zuletzt benutzt");
    EXPECT_EQ(clear->text(), "Leeren");

    TranslateMenu(recent); // a menu's own title is its parent's business
    EXPECT_EQ(recent->title(), "Zuletzt benutzt");
    TranslateMainMenu(nullptr);
}

TEST_F(TranslateTest, ViewsAreTranslatedByKindThroughTheirTree) {
    QWidget root;
    root.setWindowTitle("Open");
    auto *label = new QLabel("Name:", &root);
    auto *picture = new QLabel(&root);
    auto *edit = new QLineEdit("Open", &root);
    auto *combo = new QComboBox(&root);
    combo->setEditable(true);
    combo->addItems({"Open", "Clear"});
    auto *popUp = new QComboBox(&root);
    popUp->addItems({"first", "size", "other"});
    auto *check = new QCheckBox("Options", &root);
    auto *tabBar = new QTabBar(&root); // neither a field nor a button: kept
    tabBar->addTab("Open");
    auto *tabs = new QTabWidget(&root);
    auto *page = new QWidget;
    auto *inTab = new QPushButton("Clear", page);
    tabs->addTab(page, "General");
    tabs->addTab(new QWidget, "Options");
    auto *box = new QGroupBox("Settings", &root);
    auto *inBox = new QCheckBox("Open", box);
    auto *deep = new QPushButton("choose", new QWidget(new QWidget(&root)));
    auto *scroll = new QScrollArea(&root);
    auto *content = new QLabel("Open");
    scroll->setWidget(content);
    auto *rich = new QTextEdit("Open", &root);
    auto *plain = new QPlainTextEdit("Open", &root);

    TranslateViews(&root);

    EXPECT_EQ(root.windowTitle(), "Open");
    EXPECT_EQ(label->text(), "Name:");
    EXPECT_TRUE(picture->text().isNull());
    EXPECT_EQ(edit->text(), QString::fromUtf8("Öffnen"));
    EXPECT_EQ(combo->currentText(), QString::fromUtf8("Öffnen"));
    EXPECT_EQ(combo->itemText(1), "Clear"); // an editable combo's list is data
    EXPECT_EQ(popUp->itemText(0), "third"); // pop-up items are translated twice
    EXPECT_EQ(popUp->itemText(1), QString::fromUtf8("Größe"));
    EXPECT_EQ(popUp->itemText(2), "other");
    EXPECT_EQ(check->text(), "Optionen");
    EXPECT_EQ(tabBar->tabText(0), "Open");
    EXPECT_EQ(tabs->tabText(0) + tabs->tabText(1), "AllgemeinOptionen");
    EXPECT_EQ(inTab->text(), "Leeren");
    EXPECT_EQ(box->title(), "Einstellungen");
    EXPECT_EQ(inBox->text(), QString::fromUtf8("Öffnen"));
    EXPECT_EQ(deep->text(), QString::fromUtf8("Auswählen"));
    EXPECT_EQ(content->text(), QString::fromUtf8("Öffnen"));

    // Text views keep their text and get an inset of 0 by 2.
    EXPECT_EQ(rich->toPlainText() + plain->toPlainText(), "OpenOpen");
    const QTextFrameFormat frame = rich->document()->rootFrame()->frameFormat();
    EXPECT_EQ(
        QMarginsF(frame.leftMargin(), frame.topMargin(), frame.rightMargin(), frame.bottomMargin()),
        QMarginsF(0, 2, 0, 2));
    EXPECT_EQ(plain->document()->documentMargin(), 0);
    EXPECT_EQ(plain->viewport()->geometry(), plain->contentsRect().adjusted(0, 2, 0, -2));
}

TEST_F(TranslateTest, ColumnHeadersFallBackToTheirIdentifiers) {
    const QStringList headers{"Name", "Size", "Size", "Size", "", "size"};
    const QList<QVariant> identifiers{QVariant(), "kind", "col3", QVariant(), "size", "kind"};
    QWidget root;
    auto *table = new QTableWidget(1, 6, &root);
    table->setHorizontalHeaderLabels(headers);
    auto *tree = new QTreeWidget(&root);
    tree->setHeaderLabels(headers);
    auto *model = new QStandardItemModel(0, 6, &root);
    (new QTableView(&root))->setModel(model);
    const QList<QAbstractItemModel *> models{table->model(), tree->model(), model};
    for (int c = 0; c < 6; ++c) {
        model->setHeaderData(c, Qt::Horizontal, headers[c]);
        for (QAbstractItemModel *m : models)
            m->setHeaderData(c, Qt::Horizontal, identifiers[c], kColumnIdentifierRole);
    }

    TranslateViews(&root);

    for (QAbstractItemModel *m : models) {
        QStringList shown;
        for (int c = 0; c < 6; ++c)
            shown << m->headerData(c, Qt::Horizontal).toString();
        // Without an identifier to fall back on, a header keeps its text.
        EXPECT_EQ(shown,
                  (QStringList{"Name", "Art", "col3", "Size", "", QString::fromUtf8("Größe")}));
    }
}

// A model that fails while its headers are read, as a broken view might.
class FailingModel : public QStandardItemModel {
public:
    using QStandardItemModel::QStandardItemModel;
    int failure = 0; // 0 none, 1 a standard exception, 2 anything else
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (failure == 1)
            throw std::runtime_error("header 50% broken");
        if (failure == 2)
            throw 42;
        return QStandardItemModel::headerData(section, orientation, role);
    }
};

TEST_F(TranslateTest, WindowsAreTranslatedAndSurviveFailures) {
    QWidget window;
    window.setWindowTitle("Settings");
    auto *before = new QLabel("Open", &window);
    auto *model = new FailingModel(0, 1, &window);
    (new QTableView(&window))->setModel(model);
    auto *after = new QLabel("Clear", &window);

    model->failure = 1;
    TranslateWindow(&window);
    EXPECT_EQ(window.windowTitle(), "Einstellungen");
    EXPECT_EQ(before->text(), QString::fromUtf8("Öffnen"));
    EXPECT_EQ(after->text(), "Clear");
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].message, "header 50% broken");

    model->failure = 2;
    TranslateWindow(&window);
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_FALSE(alerts[1].message.isEmpty());

    model->failure = 0;
    TranslateWindow(&window);
    EXPECT_EQ(after->text(), "Leeren");
    EXPECT_EQ(alerts.size(), 2);
}

} // namespace
