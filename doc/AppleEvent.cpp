// SPDX-License-Identifier: MIT
#include "doc/AppleEvent.h"

#include "platform/FileName.h"
#include "platform/PropertyList.h"

#include <QUrl>
#include <QVariantMap>

void AppleEvent::setParam(quint32 keyword, quint32 descriptorType, const QByteArray &data) {
    for (AppleEventParam &p : params) {
        if (p.keyword == keyword) {
            p = {keyword, descriptorType, data};
            return;
        }
    }
    params.append({keyword, descriptorType, data});
}

const AppleEventParam *AppleEvent::param(quint32 keyword) const {
    for (const AppleEventParam &p : params) {
        if (p.keyword == keyword)
            return &p;
    }
    return nullptr;
}

QVariantMap AppleEvent::toPropertyList() const {
    QVariantList list;
    for (const AppleEventParam &p : params) {
        list.append(QVariantMap{
            {QStringLiteral("keyword"), FourCharCodeString(p.keyword)},
            {QStringLiteral("descriptorType"), FourCharCodeString(p.descriptorType)},
            {QStringLiteral("data"), p.data},
        });
    }
    return {
        {QStringLiteral("eventClass"), FourCharCodeString(eventClass)},
        {QStringLiteral("eventID"), FourCharCodeString(eventID)},
        {QStringLiteral("returnID"), qint64(returnID)},
        {QStringLiteral("transactionID"), qint64(transactionID)},
        {QStringLiteral("parameters"), list},
    };
}

AppleEvent OpenDocumentEvent(const QString &documentPath, bool useDocPrefs) {
    AppleEvent event;
    event.eventClass = kCoreEventClass;
    event.eventID = kOpenDocumentsEvent;
    event.setParam(kDirectObjectKeyword, kBookmarkType, FileUrl(documentPath));
    if (useDocPrefs) {
        const quint32 yes = kYesEnum;
        const char bytes[4] = {char(yes >> 24), char(yes >> 16), char(yes >> 8), char(yes)};
        event.setParam(kDocPrefsKeyword, kEnumType, QByteArray(bytes, 4));
    }
    return event;
}

LaunchEnvironment EventEnvironment(const AppleEvent &event, const QString &documentPath) {
    const AppleEventParam *document = event.param(kDirectObjectKeyword);
    const AppleEventParam *docPrefs = event.param(kDocPrefsKeyword);
    const bool useDocPrefs = docPrefs && docPrefs->data == "yes ";
    return {
        {"TAVO_DOCUMENT", EncodeFileName(documentPath)},
        {"TAVO_DOCUMENT_URL", document ? document->data : QByteArray()},
        {"TAVO_USE_DOC_PREFS", useDocPrefs ? "1" : "0"},
        {"TAVO_EVENT", WritePropertyListXml(event.toPropertyList())},
    };
}
