// SPDX-License-Identifier: MIT
#include "strings/AlertBox.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

const char *const kCodeProperty = "alertCode";

QAbstractButton *AddButton(QMessageBox &box, const QString &title, int code) {
    // One role for all three keeps the buttons in the order they are added.
    QPushButton *button = box.addButton(title, QMessageBox::ActionRole);
    button->setProperty(kCodeProperty, code);
    return button;
}

} // namespace

std::unique_ptr<QMessageBox> CreateAlertBox(const AlertRequest &request, QWidget *parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(request.windowTitle);
    box->setTextFormat(Qt::PlainText);
    box->setText(request.message);
    box->setInformativeText(request.detail);
    // The informative label guesses rich text on its own; a detail is plain.
    if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);

    // A missing or unreadable icon leaves the box its own.
    if (!request.iconPath.isNull()) {
        const QPixmap icon(request.iconPath);
        if (!icon.isNull())
            box->setIconPixmap(icon.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }

    QAbstractButton *first = nullptr;
    if (request.defaultButton.isNull()) {
        first = box->addButton(QMessageBox::Ok);
        first->setProperty(kCodeProperty, 1);
    } else {
        first = AddButton(*box, request.defaultButton, 1);
    }
    QAbstractButton *escape = first;
    if (!request.alternateButton.isNull())
        escape = AddButton(*box, request.alternateButton, 0);
    // The third button is the way out (cancel, no) where there is one.
    if (!request.otherButton.isNull())
        escape = AddButton(*box, request.otherButton, -1);
    box->setDefaultButton(qobject_cast<QPushButton *>(first));
    box->setEscapeButton(escape);
    return box;
}

int AlertCode(const QMessageBox &box) {
    const QAbstractButton *button = box.clickedButton();
    if (!button)
        button = box.escapeButton();
    if (!button)
        return 1;
    bool ok = false;
    const int code = button->property(kCodeProperty).toInt(&ok);
    return ok ? code : 1;
}

int RunAlertBox(const AlertRequest &request) {
    const std::unique_ptr<QMessageBox> box = CreateAlertBox(request);
    box->exec();
    return AlertCode(*box);
}
