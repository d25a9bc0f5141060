// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FourCharCode.h"
#include "platform/LaunchEnvironment.h"

#include <QByteArray>
#include <QList>
#include <QVariant>

// An event as the layout application receives it: class, ID, return and
// transaction IDs, and parameters each with keyword, descriptor type and data.
struct AppleEventParam {
    quint32 keyword = 0;
    quint32 descriptorType = 0;
    QByteArray data;
};

struct AppleEvent {
    quint32 eventClass = 0;
    quint32 eventID = 0;
    qint32 returnID = -1;     // generated automatically
    qint32 transactionID = 0; // any transaction
    QList<AppleEventParam> params;

    // Sets a parameter, replacing one of the same keyword.
    void setParam(quint32 keyword, quint32 descriptorType, const QByteArray &data);
    const AppleEventParam *param(quint32 keyword) const;

    // The whole event as a property-list dictionary (codes as their four
    // characters, data as data), which is what a launched program reads.
    QVariantMap toPropertyList() const;
};

inline constexpr quint32 kCoreEventClass = FourCharCode("aevt");
inline constexpr quint32 kOpenDocumentsEvent = FourCharCode("odoc");
inline constexpr quint32 kDirectObjectKeyword = FourCharCode("----");
inline constexpr quint32 kBookmarkType = FourCharCode("bmrk");
inline constexpr quint32 kEnumType = FourCharCode("enum");
inline constexpr quint32 kDocPrefsKeyword = FourCharCode("KPRF");
inline constexpr quint32 kYesEnum = FourCharCode("yes ");

// The open-document event for a document; with `useDocPrefs` it also asks the
// application to use the document's own preferences. The bookmark is the
// document's file URL in UTF-8.
AppleEvent OpenDocumentEvent(const QString &documentPath, bool useDocPrefs);

// The event as environment variables, which a wrapper script reads more
// easily than the event itself, for desktop entries and bundles alike:
//   TAVO_DOCUMENT       the document's path, its exact bytes
//   TAVO_DOCUMENT_URL   its file URL, the bookmark of the direct object
//   TAVO_USE_DOC_PREFS  "1" when the document's own preferences are asked
//                       for ("KPRF" is "yes "), else "0"
//   TAVO_EVENT          the whole event as an XML property list, the same
//                       bytes a bundle's program reads on its input
LaunchEnvironment EventEnvironment(const AppleEvent &event, const QString &documentPath);
