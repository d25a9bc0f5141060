// SPDX-License-Identifier: MIT
#include "doc/DropView.h"

#include "doc/IdentifyDocument.h"
#include "doc/OpenDocument.h"
#include "platform/DragOperation.h"
#include "platform/Folders.h"
#include "platform/Format.h"
#include "platform/ViewWithTag.h"
#include "strings/StringTable.h"
#include "toolkit/Paths.h"
#include "toolkit/XmlHelpers.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>

DropView::DropView(QWidget *parent) : QWidget(parent) {}

void DropView::awakeFromNib() {
    mAppName = qobject_cast<QLabel *>(ViewWithTag(this, 1));
    mPlatform = qobject_cast<QLabel *>(ViewWithTag(this, 2));
    setAcceptDrops(true);
}

void DropView::openDoc(const QString &path) {
    OpenDoc(path, window(), [this](const QString &key) { return chooseLocation(key); });
}

QString DropView::appPathForDoc(const QString &path, quint32 *creator) {
    return AppPathForDoc(path, creator, window(),
                         [this](const QString &key) { return chooseLocation(key); });
}

QString DropView::chooseLocation(const QString &key) {
    const QString chosen = mChoose(window(), key, ApplicationsFolder());
    return !chosen.isNull() && UsableLocation(chosen, window()) ? chosen : QString();
}

void DropView::openDocWithApp(const QString &path, const QString &appPath) {
    OpenDocWithApp(path, appPath);
}

QString DropView::pathFromDrag(const QMimeData *drag) const {
    return PasteboardFileName(drag);
}

void DropView::setLabels(const DocInfo *info) {
    if (!mAppName || !mPlatform)
        return;
    if (!info) {
        mAppName->setText(QStringLiteral(""));
        mPlatform->setText(QStringLiteral(""));
        return;
    }
    mAppName->setText(SettingsKey(*info));
    QString platform = QStringLiteral("---");
    if (info->os == QLatin1String("M"))
        platform = QStringLiteral("Mac");
    else if (info->os == QLatin1String("W"))
        platform = QStringLiteral("Win");
    mPlatform->setText(GetString(platform));
}

void DropView::doHTML(const QString &path) {
    const XmlDocument doc = LoadXMLDocument(path, kXmlTidyHtml);
    if (!doc)
        return;
    xmlNode *head = FirstElementNamed(xmlDocGetRootElement(doc.get()), QStringLiteral("head"));
    const QString year = StringForXPath(head, QStringLiteral("meta[@name='jahr']/@content"));
    const QString week = StringForXPath(head, QStringLiteral("meta[@name='kw']/@content"));
    const QString page =
        StringForXPath(head, QStringLiteral("meta[@name='cmspage_title_nr']/@content"));
    if (mAppName)
        mAppName->setText(Format(QStringLiteral("%@/%@/%@"), year, week, page));
}

int DropView::draggingEntered(const QMimeData *drag) {
    const DocInfo info = IdentifyDocument(pathFromDrag(drag));
    setLabels(&info);
    return info.recognised() ? kDragOperationLink : kDragOperationNone;
}

void DropView::draggingExited() {
    setLabels(nullptr);
}

bool DropView::prepareForDragOperation(const QMimeData *) {
    return true;
}

bool DropView::performDragOperation(const QMimeData *drag) {
    const QString path = pathFromDrag(drag);
    setLabels(nullptr);
    openDoc(path);
    return true;
}

void DropView::dragEnterEvent(QDragEnterEvent *event) {
    mHoverOperation = draggingEntered(event->mimeData());
    if (!AnswerDrag(event, mHoverOperation))
        mHoverOperation = kDragOperationNone;
    // The entry is taken even when refused, so that Qt goes on telling this
    // view about the drag and the labels are cleared when it leaves or ends;
    // the refusal itself is the ignored action and the answer to the moves.
    event->accept();
}

void DropView::dragMoveEvent(QDragMoveEvent *event) {
    AnswerDrag(event, mHoverOperation);
}

void DropView::dragLeaveEvent(QDragLeaveEvent *event) {
    draggingExited();
    event->accept();
}

void DropView::dropEvent(QDropEvent *event) {
    if (!prepareForDragOperation(event->mimeData()))
        return;
    setLabels(nullptr);
    if (!AnswerDrag(event, kDragOperationLink))
        return;
    // Opening may show an alert; its modal loop must not run inside the drop,
    // where the application the drag came from still waits for the answer.
    auto *drag = new QMimeData;
    drag->setUrls(event->mimeData()->urls());
    QMetaObject::invokeMethod(
        this,
        [this, drag] {
            performDragOperation(drag);
            delete drag;
        },
        Qt::QueuedConnection);
}

void DropView::paintEvent(QPaintEvent *) {
    // A dashed frame shows where to drop.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(palette().color(QPalette::Mid), 2, Qt::DashLine);
    painter.setPen(pen);
    painter.drawRoundedRect(QRectF(rect()).adjusted(4, 4, -4, -4), 12, 12);
}
