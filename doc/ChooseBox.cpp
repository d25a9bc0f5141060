// SPDX-License-Identifier: MIT
#include "doc/ChooseBox.h"

#include "doc/DesktopEntries.h"
#include "platform/DragOperation.h"
#include "platform/Folders.h"
#include "strings/StringTable.h"
#include "toolkit/Paths.h"
#include "toolkit/TavoSettings.h"

#include <QDragEnterEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

namespace {

// The bundle test is a plain suffix test on the whole path, without the dot.
bool IsDroppedLocation(const QString &path) {
    return !path.isNull() &&
           (path.endsWith(QLatin1String("app"), Qt::CaseSensitive) || IsDesktopEntryPath(path));
}

} // namespace

ChooseBox::ChooseBox(QWidget *parent)
    : QGroupBox(parent), mApplicationsFolder(ApplicationsFolder()),
      mChoose(&RunApplicationChooser) {}

void ChooseBox::awakeFromNib() {
    mPath = findChild<QLineEdit *>();
    if (auto *button = findChild<QPushButton *>())
        connect(button, &QPushButton::clicked, this, &ChooseBox::choose);
    // The stored location was checked at start; what is left is shown.
    const QVariant stored = gSettings->dict().value(title());
    if (mPath) {
        mPath->setPlaceholderText(GetString(QStringLiteral("notSet")));
        if (stored.isValid())
            mPath->setText(stored.toString());
    }
    // A location chosen elsewhere (from the alert of a document) shows here.
    connect(gSettings, &TavoSettings::valueChanged, this, [this](const QString &key) {
        if (mPath && key == title())
            mPath->setText(gSettings->dict().value(key).toString());
    });
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
    const QString chosen = mChoose(window(), title(), mApplicationsFolder);
    if (!chosen.isNull() && UsableLocation(chosen, window()))
        setPath(chosen);
}

int ChooseBox::draggingEntered(const QMimeData *drag) const {
    return IsDroppedLocation(PasteboardFileName(drag)) ? kDragOperationLink : kDragOperationNone;
}

bool ChooseBox::prepareForDragOperation(const QMimeData *) const {
    return true;
}

bool ChooseBox::performDragOperation(const QMimeData *drag) {
    const QString path = PasteboardFileName(drag);
    if (IsDroppedLocation(path) && UsableLocation(path, window()))
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
