// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <qnamespace.h>

class QAction;
class QMenu;
class QMenuBar;
class QObject;
class QWidget;

// Translates the titles of loaded interfaces in place through GetString.
// Nothing is remembered: walking twice translates the translations again.

// The data role of a table's or tree's horizontal header item that holds the
// column's identifier, the fallback key of its header text.
inline constexpr int kColumnIdentifierRole = Qt::UserRole + 1;

// One trailing ":", "?", "!" or "…" is kept out of the lookup and put back, so
// "Name" serves "Name:" too. An absent text gives the empty text.
QString TranslateString(const QString &text);

// Sets the title of a window (windowTitle), button (text), group box (title),
// menu (title) or action (text) to its translation, even when unchanged.
void TranslateTitle(QObject *object);

// Every item of the menu, not its own title.
void TranslateMenu(QMenu *menu);
// The item, then its submenu's title and items.
void TranslateMenuItem(QAction *item);
// The menus of a main window's menu bar; Qt has no application-wide menu, so
// the caller hands over the bar it loaded (QMainWindow::menuBar()).
void TranslateMainMenu(QMenuBar *menuBar);

// Everything below view (not view itself): labels, buttons, pop-ups, tabs,
// table headers and boxes; text views get their inset.
void TranslateViews(QWidget *view);

// The window's title and everything in it. Never throws: an exception on the
// way is shown in an alert, and what was done before it stays done.
void TranslateWindow(QWidget *window);
