#include "doc/DropView.h"

#include "doc/AppleEvent.h"
#include "doc/IdentifyDocument.h"
#include "platform/BundleLauncher.h"
#include "platform/DragOperation.h"
#include "platform/Format.h"
#include "platform/PropertyList.h"
#include "platform/ViewWithTag.h"
#include "strings/Alerts.h"
#include "strings/StringTable.h"
#include "toolkit/FileUtils.h"
#include "toolkit/Log.h"
#include "toolkit/TavoSettings.h"
#include "toolkit/XmlHelpers.h"

#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
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
    quint32 creator = 0;
    const QString appPath = appPathForDoc(path, &creator);
    if (appPath.isNull())
        return;
    QString docPath = path;
    if (creator == kQuarkCreator && gSettings->addSuffix() == 1)
        docPath = renamedForQuark(path);
    openDocWithApp(docPath, appPath);
}

QString DropView::renamedForQuark(const QString &path) const {
    if (HasExtension(path, QStringLiteral("qxp")))
        return path;
    const QString newPath = HasExtension(path, QStringLiteral("qxd"))
                                ? ReplaceExtension(path, QStringLiteral("qxp"))
                                : path + QStringLiteral(".qxp");
    // Never replace another document: an existing Plan.qxp beside Plan.qxd
    // stays, and the dropped document opens under the name it has.
    if (QFileInfo::exists(newPath) || QFileInfo(newPath).isSymLink()) {
        LogError(Format(tr("A file named “%@” already exists; the document was not renamed."),
                        QFileInfo(newPath).fileName()),
                 path);
        return path;
    }
    QFile file(path);
    if (!file.rename(newPath)) {
        LogError(file.errorString(), path);
        return path;
    }
    return newPath;
}

QString DropView::appPathForDoc(const QString &path, quint32 *creator) {
    const DocInfo info = IdentifyDocument(path);
    if (!info.recognised()) {
        AlertByKey("unknownDocType");
        return QString();
    }
    const QString key = Format(QStringLiteral("%@ %@"), info.appName, info.versionName);
    const QVariant value = gSettings->value(key);
    if (!value.isValid())
        AlertByKey("appNotFound", key);
    if (creator)
        *creator = info.creator;
    return value.isValid() ? value.toString() : QString();
}

void DropView::openDocWithApp(const QString &path, const QString &appPath) {
    const qint64 useDocPrefs = gSettings->useDocPrefs();
    const AppleEvent event = OpenDocumentEvent(path, useDocPrefs == 1);
    const QByteArray input = WritePropertyListXml(event.toPropertyList());
    LogError(LaunchBundle(appPath, path, input));
}

QString DropView::pathFromDrag(const QMimeData *drag) const {
    return PasteboardFileName(drag);
}

void DropView::setLabels(const DocInfo *info) {
    if (!mAppName || !mPlatform) {
        return;
    }
    if (!info) {
        mAppName->setText(QStringLiteral(""));
        mPlatform->setText(QStringLiteral(""));
        return;
    }
    mAppName->setText(Format(QStringLiteral("%@ %@"), info->appName, info->versionName));
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
    AnswerDrag(event, draggingEntered(event->mimeData()));
}

void DropView::dragLeaveEvent(QDragLeaveEvent *event) {
    draggingExited();
    event->accept();
}

void DropView::dropEvent(QDropEvent *event) {
    if (!prepareForDragOperation(event->mimeData()))
        return;
    AnswerDrag(event, kDragOperationLink);
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
