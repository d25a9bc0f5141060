#include "StringsFixture.h"

#include "strings/Translate.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
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

const QByteArray kTable = R"(<strings><de>
  <Open>Öffnen</Open>
  <File>Ablage</File>
  <Ablage>must not be looked up</Ablage>
  <Recent>Zuletzt benutzt</Recent>
  <Clear>Leeren</Clear>
  <Name>Name</Name>
  <size>Größe</size>
  <kind>Art</kind>
  <first>second</first>
  <second>third</second>
  <General>Allgemein</General>
  <Options>Optionen</Options>
  <choose>Auswählen</choose>
  <Settings>Einstellungen</Settings>
  <Window>Fenster</Window>
  <empty/>
</de></strings>)";

class TranslateTest : public StringsFixture {
protected:
    void SetUp() override {
        StringsFixture::SetUp();
        loadTable(kTable, QStringLiteral("de"));
        gStrings->insert(QStringLiteral("Really?"), QStringLiteral("Wirklich?"));
    }
};

TEST_F(TranslateTest, OneTrailingMarkIsKeptOutOfTheLookup) {
    EXPECT_EQ(TranslateString(QStringLiteral("Open")), QString::fromUtf8("Öffnen"));
    EXPECT_EQ(TranslateString(QString::fromUtf8("Open…")), QString::fromUtf8("Öffnen…"));
    EXPECT_EQ(TranslateString(QStringLiteral("Open:")), QString::fromUtf8("Öffnen:"));
    EXPECT_EQ(TranslateString(QStringLiteral("Open!")), QString::fromUtf8("Öffnen!"));
    EXPECT_EQ(TranslateString(QStringLiteral("Really?!")), QLatin1String("Wirklich?!"));
    EXPECT_EQ(TranslateString(QStringLiteral("Open...")), QLatin1String("Open..."));
    EXPECT_EQ(TranslateString(QStringLiteral("Open: ")), QLatin1String("Open: "));
    EXPECT_EQ(TranslateString(QStringLiteral("Name:")), QLatin1String("Name:"));
    EXPECT_EQ(TranslateString(QStringLiteral("Nothing:")), QLatin1String("Nothing:"));
    EXPECT_EQ(TranslateString(QStringLiteral(":")), QLatin1String(":"));
    EXPECT_EQ(TranslateString(QStringLiteral("empty:")), QLatin1String(":"));
    EXPECT_TRUE(TranslateString(QStringLiteral("empty")).isEmpty());
    const QString fromAbsent = TranslateString(QString());
    EXPECT_FALSE(fromAbsent.isNull());
    EXPECT_TRUE(fromAbsent.isEmpty());
}

TEST_F(TranslateTest, MenusTranslateEveryItemAndSubmenuOnce) {
    QMainWindow window;
    QMenuBar *bar = window.menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("File"));
    QAction *open = file->addAction(QString::fromUtf8("Open…"));
    file->addSeparator();
    QMenu *recent = file->addMenu(QStringLiteral("Recent"));
    QAction *clear = recent->addAction(QStringLiteral("Clear"));
    QAction *plain = bar->addAction(QStringLiteral("Window"));

    TranslateMainMenu(bar);
    EXPECT_EQ(file->title(), QLatin1String("Ablage"));
    EXPECT_EQ(open->text(), QString::fromUtf8("Öffnen…"));
    EXPECT_EQ(recent->title(), QLatin1String("Zuletzt benutzt"));
    EXPECT_EQ(clear->text(), QLatin1String("Leeren"));
    EXPECT_EQ(plain->text(), QLatin1String("Fenster"));

    // A menu's own title is its parent's business.
    QMenu loose(QStringLiteral("Open"));
    QAction *item = loose.addAction(QStringLiteral("Clear"));
    TranslateMenu(&loose);
    EXPECT_EQ(loose.title(), QLatin1String("Open"));
    EXPECT_EQ(item->text(), QLatin1String("Leeren"));

    TranslateMainMenu(nullptr);
    TranslateMenu(nullptr);
    TranslateMenuItem(nullptr);
}

TEST_F(TranslateTest, ViewsAreTranslatedByKindInTheirTree) {
    QWidget root;
    root.setWindowTitle(QStringLiteral("Open"));
    auto *label = new QLabel(QStringLiteral("Name:"), &root);
    auto *emptyLabel = new QLabel(QStringLiteral(""), &root);
    auto *pictureLabel = new QLabel(&root);
    auto *edit = new QLineEdit(QStringLiteral("Open"), &root);
    auto *combo = new QComboBox(&root);
    combo->setEditable(true);
    combo->addItems({QStringLiteral("Open"), QStringLiteral("Clear")});
    auto *popUp = new QComboBox(&root);
    popUp->addItems({QStringLiteral("first"), QStringLiteral("size"), QStringLiteral("other")});
    auto *button = new QPushButton(QString::fromUtf8("Open…"), &root);
    auto *check = new QCheckBox(QStringLiteral("Options"), &root);
    auto *tabBar = new QTabBar(&root); // neither a field nor a button: kept
    tabBar->addTab(QStringLiteral("Open"));

    auto *tabs = new QTabWidget(&root);
    auto *general = new QWidget;
    auto *inTab = new QPushButton(QStringLiteral("Clear"), general);
    tabs->addTab(general, QStringLiteral("General"));
    tabs->addTab(new QWidget, QStringLiteral("Options"));

    auto *box = new QGroupBox(QStringLiteral("Settings"), &root);
    auto *inBox = new QCheckBox(QStringLiteral("Open"), box);
    auto *custom = new QWidget(&root);
    auto *inner = new QWidget(custom);
    auto *deep = new QPushButton(QStringLiteral("choose"), inner);

    auto *scroll = new QScrollArea(&root);
    auto *content = new QLabel(QStringLiteral("Open"));
    scroll->setWidget(content);
    auto *rich = new QTextEdit(QStringLiteral("Open"), &root);
    auto *plain = new QPlainTextEdit(QStringLiteral("Open"), &root);

    TranslateViews(&root);

    EXPECT_EQ(root.windowTitle(), QLatin1String("Open"));
    EXPECT_EQ(label->text(), QLatin1String("Name:"));
    EXPECT_TRUE(emptyLabel->text().isEmpty());
    EXPECT_TRUE(pictureLabel->text().isNull());
    EXPECT_EQ(edit->text(), QString::fromUtf8("Öffnen"));
    EXPECT_EQ(combo->currentText(), QString::fromUtf8("Öffnen"));
    EXPECT_EQ(combo->itemText(1), QLatin1String("Clear"));
    EXPECT_EQ(popUp->itemText(0), QLatin1String("third"));
    EXPECT_EQ(popUp->itemText(1), QString::fromUtf8("Größe"));
    EXPECT_EQ(popUp->itemText(2), QLatin1String("other"));
    EXPECT_EQ(button->text(), QString::fromUtf8("Öffnen…"));
    EXPECT_EQ(check->text(), QLatin1String("Optionen"));
    EXPECT_EQ(tabBar->tabText(0), QLatin1String("Open"));
    EXPECT_EQ(tabs->tabText(0), QLatin1String("Allgemein"));
    EXPECT_EQ(tabs->tabText(1), QLatin1String("Optionen"));
    EXPECT_EQ(inTab->text(), QLatin1String("Leeren"));
    EXPECT_EQ(box->title(), QLatin1String("Einstellungen"));
    EXPECT_EQ(inBox->text(), QString::fromUtf8("Öffnen"));
    EXPECT_EQ(deep->text(), QString::fromUtf8("Auswählen"));
    EXPECT_EQ(content->text(), QString::fromUtf8("Öffnen"));

    // Text views keep their text and get an inset of 0 by 2.
    EXPECT_EQ(rich->toPlainText(), QLatin1String("Open"));
    const QTextFrameFormat frame = rich->document()->rootFrame()->frameFormat();
    EXPECT_EQ(frame.leftMargin(), 0);
    EXPECT_EQ(frame.rightMargin(), 0);
    EXPECT_EQ(frame.topMargin(), 2);
    EXPECT_EQ(frame.bottomMargin(), 2);
    EXPECT_EQ(plain->toPlainText(), QLatin1String("Open"));
    EXPECT_EQ(plain->document()->documentMargin(), 0);
    EXPECT_EQ(plain->viewport()->geometry(), plain->contentsRect().adjusted(0, 2, 0, -2));
}

TEST_F(TranslateTest, ColumnHeadersFallBackToTheirIdentifiers) {
    const QStringList headers{"Name", "Size", "Size", "Size", "", "Size"};
    const QList<QVariant> identifiers{QVariant(), "kind", "col3", QVariant(), "size", "size"};
    QWidget root;
    auto *table = new QTableWidget(1, int(headers.size()), &root);
    table->setHorizontalHeaderLabels(headers);
    auto *tree = new QTreeWidget(&root);
    tree->setHeaderLabels(headers);
    auto *model = new QStandardItemModel(0, int(headers.size()), &root);
    auto *view = new QTableView(&root);
    view->setModel(model);
    const QList<QAbstractItemModel *> models{table->model(), tree->model(), model};
    for (QAbstractItemModel *m : models) {
        for (int c = 0; c < headers.size(); ++c) {
            if (m == model)
                m->setHeaderData(c, Qt::Horizontal, headers[c]);
            if (identifiers[c].isValid())
                m->setHeaderData(c, Qt::Horizontal, identifiers[c], kColumnIdentifierRole);
        }
    }
    model->setHeaderData(5, Qt::Horizontal, QStringLiteral("size"));

    TranslateViews(&root);

    for (QAbstractItemModel *m : models) {
        auto header = [m](int c) { return m->headerData(c, Qt::Horizontal).toString(); };
        // Without an identifier to fall back on, a header keeps its text.
        EXPECT_EQ(header(0), QLatin1String("Name"));
        EXPECT_EQ(header(1), QLatin1String("Art"));  // the identifier is a key
        EXPECT_EQ(header(2), QLatin1String("col3")); // the identifier is no key
        EXPECT_EQ(header(3), QLatin1String("Size"));
        EXPECT_EQ(header(4), QLatin1String("")); // empty headers stay alone
    }
    EXPECT_EQ(model->headerData(5, Qt::Horizontal).toString(), QString::fromUtf8("Größe"));
}

// A model that fails while its headers are read, as a broken view might.
class FailingModel : public QStandardItemModel {
public:
    using QStandardItemModel::QStandardItemModel;
    bool armed = false;
    bool throwStd = true;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (armed && throwStd)
            throw std::runtime_error("header 50% broken");
        if (armed)
            throw 42;
        return QStandardItemModel::headerData(section, orientation, role);
    }
};

TEST_F(TranslateTest, WindowsAreTranslatedAndSurviveFailures) {
    QWidget window;
    window.setWindowTitle(QStringLiteral("Settings"));
    auto *before = new QLabel(QStringLiteral("Open"), &window);
    auto *model = new FailingModel(0, 1, &window);
    auto *table = new QTableView(&window);
    table->setModel(model);
    auto *after = new QLabel(QStringLiteral("Clear"), &window);
    model->armed = true;

    TranslateWindow(&window);
    EXPECT_EQ(window.windowTitle(), QLatin1String("Einstellungen"));
    EXPECT_EQ(before->text(), QString::fromUtf8("Öffnen"));
    EXPECT_EQ(after->text(), QLatin1String("Clear"));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].message, QLatin1String("header 50% broken"));

    model->throwStd = false;
    TranslateWindow(&window);
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_FALSE(alerts[1].message.isEmpty());

    // The walker remembers nothing: a second walk translates again.
    model->armed = false;
    TranslateWindow(&window);
    EXPECT_EQ(after->text(), QLatin1String("Leeren"));
    EXPECT_EQ(alerts.size(), 2);
}

} // namespace
