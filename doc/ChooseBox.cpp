// SPDX-License-Identifier: MIT
#include "doc/ChooseBox.h"

#include "platform/DragOperation.h"
#include "platform/Folders.h"
#include "platform/Format.h"
#include "strings/StringTable.h"
#include "toolkit/Paths.h"
#include "toolkit/TavoSettings.h"

#include <QDragEnterEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

namespace {

// The drop test is a plain suffix test on the whole path, without the dot.
bool EndsWithApp(const QString &path) {
    return !path.isNull() && path.endsWith(QLatin1String("app"), Qt::CaseSensitive);
}

QString RunOpenPanel(QWidget *parent, const QString &startFolder) {
    QFileDialog dialog(parent, GetString(QStringLiteral("chooseApp")), startFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setNameFilter(
        Format(QStringLiteral("%@ (*.app)"), GetString(QStringLiteral("Applications"))));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    const QString chosen = dialog.selectedFiles().constFirst();
    // Only application bundles are locations of applications.
    return chosen.endsWith(QLatin1String(".app")) ? chosen : QString();
}

} // namespace

ChooseBox::ChooseBox(QWidget *parent)
    : QGroupBox(parent), mApplicationsFolder(ApplicationsFolder()), mChoose(&RunOpenPanel) {}

void ChooseBox::awakeFromNib() {
    mPath = findChild<QLineEdit *>();
    if (auto *button = findChild<QPushButton *>())
        connect(button, &QPushButton::clicked, this, &ChooseBox::choose);
    // The stored location was checked at start; what is left is shown.
    const QVariant stored = gSettings->dict().value(title());
    if (mPath && stored.isValid())
        mPath->setText(stored.toString());
    setAcceptDrops(true);
}

QString ChooseBox::path() const {
    return mPath ? mPath->text() : QString();
}

void ChooseBox::setPath(const QString &path) {
    if (mPath)
        mPath->setText(path);
    gSettings->setValue(title(), path);
}

void ChooseBox::choose() {
    const QString chosen = mChoose(window(), mApplicationsFolder);
    if (!chosen.isNull())
        setPath(chosen);
}

int ChooseBox::draggingEntered(const QMimeData *drag) const {
    return EndsWithApp(PasteboardFileName(drag)) ? kDragOperationLink : kDragOperationNone;
}

bool ChooseBox::prepareForDragOperation(const QMimeData *) const {
    return true;
}

bool ChooseBox::performDragOperation(const QMimeData *drag) {
    const QString path = PasteboardFileName(drag);
    if (EndsWithApp(path))
        setPath(path);
    return true;
}

void ChooseBox::dragEnterEvent(QDragEnterEvent *event) {
    AnswerDrag(event, draggingEntered(event->mimeData()));
}

void ChooseBox::dropEvent(QDropEvent *event) {
    if (!prepareForDragOperation(event->mimeData()))
        return;
    if (AnswerDrag(event, kDragOperationLink))
        performDragOperation(event->mimeData());
}
