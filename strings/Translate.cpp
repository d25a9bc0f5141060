// SPDX-License-Identifier: MIT
#include "strings/Translate.h"

#include "strings/Alerts.h"
#include "strings/StringTable.h"
#include "toolkit/Paths.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QTextFrame>
#include <QTreeView>

#include <exception>

namespace {

// The text inset of a text view: none at the sides, two pixels above and below.
constexpr int kTextInsetWidth = 0;
constexpr int kTextInsetHeight = 2;

// Items by index with the count read once: an item that went away meanwhile
// is skipped rather than fetched.
void TranslateActionsOf(QWidget *menu) {
    const qsizetype count = menu->actions().size();
    for (qsizetype i = 0; i < count; ++i) {
        const QList<QAction *> actions = menu->actions();
        if (i < actions.size())
            TranslateMenuItem(actions.at(i));
    }
}

void TranslateTextField(QWidget *field) {
    if (auto *label = qobject_cast<QLabel *>(field)) {
        if (!label->text().isNull())
            label->setText(TranslateString(label->text()));
    } else if (auto *edit = qobject_cast<QLineEdit *>(field)) {
        if (!edit->text().isNull())
            edit->setText(TranslateString(edit->text()));
    } else if (auto *combo = qobject_cast<QComboBox *>(field)) {
        if (!combo->currentText().isNull())
            combo->setEditText(TranslateString(combo->currentText()));
    }
}

bool IsTextField(const QWidget *widget) {
    if (qobject_cast<const QLabel *>(widget) || qobject_cast<const QLineEdit *>(widget))
        return true;
    const auto *combo = qobject_cast<const QComboBox *>(widget);
    return combo && combo->isEditable();
}

// A pop-up's items are its menu: translated once as the menu and once more as
// items, so an item whose translation is itself a key ends translated twice.
void TranslatePopUp(QComboBox *popUp) {
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < popUp->count(); ++i)
            popUp->setItemText(i, TranslateString(popUp->itemText(i)));
    }
}

void TranslateTabs(QTabWidget *tabs) {
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setTabText(i, TranslateString(tabs->tabText(i)));
        if (QWidget *page = tabs->widget(i))
            TranslateViews(page);
    }
}

// A header that no key matches falls back to the column's identifier. A column
// without one keeps its header: blanking a visible title helps nobody.
void TranslateColumnHeaders(QAbstractItemModel *model, const QModelIndex &root) {
    if (!model)
        return;
    const int columns = model->columnCount(root);
    for (int column = 0; column < columns; ++column) {
        const QString header = model->headerData(column, Qt::Horizontal).toString();
        if (header.isEmpty())
            continue;
        QString text = TranslateString(header);
        if (text == header) {
            const QString identifier =
                model->headerData(column, Qt::Horizontal, kColumnIdentifierRole).toString();
            if (!identifier.isEmpty())
                text = TranslateString(identifier);
        }
        model->setHeaderData(column, Qt::Horizontal, text);
    }
}

// A rich text document keeps its inset in the root frame's margins.
void SetTextInset(QTextEdit *edit) {
    QTextDocument *document = edit->document();
    document->setDocumentMargin(kTextInsetWidth);
    QTextFrame *root = document->rootFrame();
    QTextFrameFormat format = root->frameFormat();
    format.setLeftMargin(kTextInsetWidth);
    format.setRightMargin(kTextInsetWidth);
    format.setTopMargin(kTextInsetHeight);
    format.setBottomMargin(kTextInsetHeight);
    root->setFrameFormat(format);
}

// The plain-text layout knows only one margin for all four sides, so the
// height goes around the viewport instead. Qt keeps that setter for
// subclasses; this one exists only to reach it.
class ViewportMargins : public QAbstractScrollArea {
public:
    static void set(QAbstractScrollArea *area, const QMargins &margins) {
        using Setter = void (QAbstractScrollArea::*)(const QMargins &);
        const Setter setter = &ViewportMargins::setViewportMargins;
        (area->*setter)(margins);
    }
};

void SetTextInset(QPlainTextEdit *edit) {
    edit->document()->setDocumentMargin(kTextInsetWidth);
    ViewportMargins::set(
        edit, QMargins(kTextInsetWidth, kTextInsetHeight, kTextInsetWidth, kTextInsetHeight));
}

void TranslateView(QWidget *view) {
    if (IsTextField(view)) {
        TranslateTextField(view);
    } else if (auto *popUp = qobject_cast<QComboBox *>(view)) {
        TranslatePopUp(popUp);
    } else if (auto *button = qobject_cast<QAbstractButton *>(view)) {
        TranslateTitle(button);
    } else if (auto *tabs = qobject_cast<QTabWidget *>(view)) {
        TranslateTabs(tabs);
    } else if (auto *table = qobject_cast<QTableView *>(view)) {
        TranslateColumnHeaders(table->model(), table->rootIndex());
    } else if (auto *tree = qobject_cast<QTreeView *>(view)) {
        TranslateColumnHeaders(tree->model(), tree->rootIndex());
    } else if (auto *box = qobject_cast<QGroupBox *>(view)) {
        TranslateTitle(box);
        TranslateViews(box);
    } else if (auto *rich = qobject_cast<QTextEdit *>(view)) {
        SetTextInset(rich);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(view)) {
        SetTextInset(plain);
    } else if (auto *scroll = qobject_cast<QScrollArea *>(view)) {
        // Through the viewport only: the scroll bars hold nothing to translate.
        TranslateViews(scroll->viewport());
    } else {
        TranslateViews(view);
    }
}

} // namespace

QString TranslateString(const QString &text) {
    if (text.isEmpty())
        return text.isNull() ? QStringLiteral("") : text;
    const QString last = text.right(1);
    static const QStringList kKeptEndings{QStringLiteral(":"), QStringLiteral("?"),
                                          QStringLiteral("!"), QStringLiteral("\u2026")};
    if (StringInArray(last, kKeptEndings))
        return GetString(text.chopped(1)) + last;
    return GetString(text);
}

void TranslateTitle(QObject *object) {
    if (auto *action = qobject_cast<QAction *>(object))
        action->setText(TranslateString(action->text()));
    else if (auto *menu = qobject_cast<QMenu *>(object))
        menu->setTitle(TranslateString(menu->title()));
    else if (auto *button = qobject_cast<QAbstractButton *>(object))
        button->setText(TranslateString(button->text()));
    else if (auto *box = qobject_cast<QGroupBox *>(object))
        box->setTitle(TranslateString(box->title()));
    else if (auto *window = qobject_cast<QWidget *>(object))
        window->setWindowTitle(TranslateString(window->windowTitle()));
}

void TranslateMenu(QMenu *menu) {
    if (menu)
        TranslateActionsOf(menu);
}

void TranslateMenuItem(QAction *item) {
    if (!item)
        return;
    TranslateTitle(item);
    QMenu *submenu = item->menu<QMenu *>();
    if (!submenu)
        return;
    // A submenu's title is stored in its menu action; where that is the item
    // just translated, translating the title again would translate it twice.
    if (submenu->menuAction() != item)
        TranslateTitle(submenu);
    TranslateMenu(submenu);
}

void TranslateMainMenu(QMenuBar *menuBar) {
    if (menuBar)
        TranslateActionsOf(menuBar);
}

void TranslateViews(QWidget *view) {
    if (!view)
        return;
    const QObjectList children = view->children();
    for (QObject *child : children) {
        auto *widget = qobject_cast<QWidget *>(child);
        // Dialogs and pop-up menus parented here are windows of their own.
        if (widget && !widget->isWindow())
            TranslateView(widget);
    }
}

void TranslateWindow(QWidget *window) {
    try {
        TranslateTitle(window);
        TranslateViews(window);
    } catch (const std::exception &error) {
        AlertMessage(QStringLiteral("%@"), QString::fromLocal8Bit(error.what()));
    } catch (...) {
        AlertMessage(QStringLiteral("%@"),
                     QStringLiteral("An unknown error stopped the translation of this window."));
    }
}
