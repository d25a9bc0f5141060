// SPDX-License-Identifier: MIT
#include "strings/Alerts.h"

#include "platform/AppIdentity.h"

#include "strings/AlertBox.h"
#include "strings/StringTable.h"
#include "toolkit/Resources.h"

#include <QApplication>
#include <QMainWindow>
#include <QWidget>

QString pendingAlertDetail;

namespace {

AlertPresenter &Presenter() {
    static AlertPresenter presenter = RunAlertBox;
    return presenter;
}

QString Title(const char *key) {
    return GetString(QString::fromUtf8(key));
}

} // namespace

QWidget *AlertParent() {
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget *window = QApplication::activeWindow())
        return window;
    QWidget *visible = nullptr;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (!window->isVisible() || window->windowType() == Qt::Popup ||
            window->windowType() == Qt::ToolTip)
            continue;
        if (qobject_cast<QMainWindow *>(window))
            return window;
        if (!visible)
            visible = window;
    }
    return visible;
}

AlertPresenter SetAlertPresenter(AlertPresenter presenter) {
    AlertPresenter previous = std::move(Presenter());
    Presenter() = presenter ? std::move(presenter) : AlertPresenter(RunAlertBox);
    return previous;
}

int ShowAlert(const QString &message, const QString &detail, const QString &defaultButton,
              const QString &alternateButton, const QString &otherButton) {
    return ShowAlertIn(nullptr, message, detail, defaultButton, alternateButton, otherButton);
}

int ShowAlertIn(QWidget *parent, const QString &message, const QString &detail,
                const QString &defaultButton, const QString &alternateButton,
                const QString &otherButton) {
    AlertRequest request;
    request.message = message;
    // The detail is often pendingAlertDetail itself, which is cleared below.
    request.detail = detail.isNull() ? QStringLiteral("") : detail;
    request.defaultButton = defaultButton;
    request.alternateButton = alternateButton;
    request.otherButton = otherButton;
    request.windowTitle = QString::fromLatin1(kAppName);
    request.iconPath = ResourcePath(QStringLiteral("Vell"), QStringLiteral("png"));
    request.parent = parent ? parent->window() : AlertParent();

    if (request.parent) {
        request.parent->raise();
        request.parent->activateWindow();
    }
    QApplication::beep();
    pendingAlertDetail = QString();
    return Presenter()(request);
}

QString TextForKey(const char *key, const QVariantList &args) {
    return FormatString(GetString(QString::fromUtf8(key)), args);
}

void AlertMessageList(const QString &format, const QVariantList &args) {
    if (format.isNull())
        return;
    ShowAlert(FormatString(format, args), pendingAlertDetail);
}

bool AskYesNo(const QString &message) {
    return ShowAlert(message, pendingAlertDetail, Title("yes"), Title("no")) == 1;
}

bool AskOkCancel(const QString &message) {
    return ShowAlert(message, pendingAlertDetail, Title("ok"), Title("cancel")) == 1;
}

int AskYesNoCancel(const QString &message) {
    return ShowAlert(message, pendingAlertDetail, Title("yes"), Title("no"), Title("cancel"));
}

int AskYesIgnoreNo(const QString &message) {
    return ShowAlert(message, pendingAlertDetail, Title("yes"), Title("ignore"), Title("no"));
}

void ActivateApp(const QString &bundleIdentifier) {
    if (!bundleIdentifier.isNull() && bundleIdentifier != QGuiApplication::desktopFileName() &&
        bundleIdentifier != QCoreApplication::applicationName())
        return;
    if (QWidget *window = AlertParent()) {
        window->raise();
        window->activateWindow();
    }
}
