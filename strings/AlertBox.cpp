// SPDX-License-Identifier: MIT
#include "strings/AlertBox.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
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
    // A dialog is not minimised or maximised on its own; without these
    // hints some window managers offer both.
    box->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowCloseButtonHint);
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
    // A question's way out is its last button (no, cancel); beside the plain
    // OK of a message, the other buttons are offers, and OK stays the way out.
    const bool question = !request.defaultButton.isNull();
    if (!request.alternateButton.isNull()) {
        QAbstractButton *alternate = AddButton(*box, request.alternateButton, 0);
        escape = question ? alternate : escape;
    }
    if (!request.otherButton.isNull()) {
        QAbstractButton *other = AddButton(*box, request.otherButton, -1);
        escape = question ? other : escape;
    }
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
    // The parent may take the box down with it while the box runs (Tavo
    // quitting); the answer is then the way out.
    const QPointer<QMessageBox> box = CreateAlertBox(request, request.parent).release();
    const int wayOut = AlertCode(*box);
    box->exec();
    if (!box)
        return wayOut;
    const int code = AlertCode(*box);
    delete box;
    return code;
}
