// SPDX-License-Identifier: MIT
#include "app/Forms.h"

#include "app/PreferencesBoxKeys.h"
#include "ui_MainWindow.h"
#include "ui_Panel.h"
#include "ui_Preferences.h"

#include <QMainWindow>

namespace {

// Builds a widget of form `Ui`; the form's own object names stay on it.
template <typename Ui, typename Widget> Widget *Build() {
    auto *widget = new Widget;
    Ui ui;
    ui.setupUi(widget);
    return widget;
}

} // namespace

QMainWindow *CreateMainWindowForm() {
    return Build<Ui::MainWindow, QMainWindow>();
}

QWidget *CreatePreferencesForm() {
    return Build<Ui::Preferences, QWidget>();
}

QWidget *CreatePanelForm() {
    return Build<Ui::Panel, QWidget>();
}

QStringList PreferencesBoxKeys() {
    QStringList keys;
    for (const char *key : kPreferencesBoxKeys)
        keys << QString::fromUtf8(key);
    return keys;
}

QString MissingOutlets(const QObject *form, const QStringList &names) {
    QStringList missing;
    for (const QString &name : names) {
        if (form->objectName() != name && !form->findChild<QObject *>(name))
            missing << name;
    }
    if (missing.isEmpty())
        return QString();
    return QStringLiteral("The form %1 has no %2.").arg(form->objectName(), missing.join(", "));
}
