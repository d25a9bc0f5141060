// SPDX-License-Identifier: MIT
#include "doc/OpenDocument.h"

#include "doc/AppleEvent.h"
#include "doc/DesktopEntries.h"
#include "doc/DocTypes.h"
#include "doc/IdentifyDocument.h"
#include "doc/InDesignVersions.h"
#include "platform/BundleLauncher.h"
#include "platform/Format.h"
#include "platform/PropertyList.h"
#include "platform/RenameFile.h"
#include "strings/Alerts.h"
#include "strings/Translate.h"
#include "toolkit/Log.h"
#include "toolkit/Paths.h"
#include "toolkit/TavoSettings.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstring>

namespace {

// The key of InDesign documents whose version Tavo has no name for. The
// versions from 2021 on were filed under it before they had names, so a
// location stored there keeps opening them.
const QString kUnnamedInDesignKey = QStringLiteral("Adobe InDesign ??");

bool IsLaterInDesignVersion(const DocInfo &info) {
    return info.creator == kInDesignCreator && info.version >= kFirstLaterInDesignVersion &&
           info.version <= kLastLaterInDesignVersion;
}

QString Tr(const char *text) {
    return QCoreApplication::translate("OpenDocument", text);
}

// Tells the user that the version has no location and, where a chooser is
// at hand, offers to choose one: what is chosen is stored and used at once.
QVariant AskForLocation(const QString &key, QWidget *window, const LocationChooser &choose) {
    const QString message = TextForKey("appNotFound", FormatArgs(key));
    if (!choose) {
        ShowAlertIn(window, message, pendingAlertDetail);
        return QVariant();
    }
    if (ShowAlertIn(window, message, pendingAlertDetail, QString(),
                    TranslateString(QStringLiteral("choose…"))) != 0)
        return QVariant();
    const QString chosen = choose(key);
    if (chosen.isNull())
        return QVariant();
    gSettings->setValue(key, chosen);
    return chosen;
}

} // namespace

QString SettingsKey(const DocInfo &info) {
    return Format(QStringLiteral("%@ %@"), info.appName, info.versionName);
}

void OpenDoc(const QString &path, QWidget *window, const LocationChooser &choose) {
    quint32 creator = 0;
    const QString appPath = AppPathForDoc(path, &creator, window, choose);
    if (appPath.isNull())
        return;
    QString docPath = path;
    if (creator == kQuarkCreator && gSettings->addSuffix() == 1)
        docPath = RenameToQxp(path);
    OpenDocWithApp(docPath, appPath);
}

QString AppPathForDoc(const QString &path, quint32 *creator, QWidget *window,
                      const LocationChooser &choose) {
    const DocInfo info = IdentifyDocument(path);
    if (!info.recognised()) {
        // Without its table Tavo cannot know a QuarkXPress document from any
        // other file, and says so rather than blame the document.
        if (DocTypes().isValid()) {
            ShowAlertIn(window, TextForKey("unknownDocType", {}), pendingAlertDetail);
        } else {
            const QString damaged = TextForKey("damagedDocTypes", FormatArgs(DocTypesPath()));
            LogError(damaged);
            ShowAlertIn(window, damaged, pendingAlertDetail);
        }
        return QString();
    }
    const QString key = SettingsKey(info);
    QVariant value = gSettings->value(key);
    if (!value.isValid() && IsLaterInDesignVersion(info))
        value = gSettings->value(kUnnamedInDesignKey);
    if (!value.isValid())
        value = AskForLocation(key, window, choose);
    if (creator)
        *creator = info.creator;
    if (!value.isValid())
        return QString();
    if (value.typeId() != QMetaType::QString) {
        // Only a text names a place; anything else stored there cannot be
        // launched, which the log says as it would for any other location.
        LogError(Format(Tr("There is no application at “%@”."), value));
        return QString();
    }
    return value.toString();
}

QString RenameToQxp(const QString &path) {
    if (HasExtension(path, QStringLiteral("qxp")))
        return path;
    const QString newPath = HasExtension(path, QStringLiteral("qxd"))
                                ? ReplaceExtension(path, QStringLiteral("qxp"))
                                : path + QStringLiteral(".qxp");
    const NameChange change = MoveWithoutReplacing(path, newPath);
    if (change.error == 0)
        return newPath;
    if (change.error == EEXIST)
        LogError(Format(Tr("A file named “%@” already exists; the document was not renamed."),
                        LastPathComponent(newPath)),
                 path);
    else if (change.linkError != 0)
        LogError(Format(Tr("The document was not renamed to “%@”: its file system cannot rename "
                           "without the risk of replacing a file (%@), and refused a hard link "
                           "instead (%@)."),
                        LastPathComponent(newPath),
                        QString::fromLocal8Bit(std::strerror(change.error)),
                        QString::fromLocal8Bit(std::strerror(change.linkError))),
                 path);
    else
        LogError(QString::fromLocal8Bit(std::strerror(change.error)), path);
    return path;
}

void OpenDocWithApp(const QString &path, const QString &appPath) {
    const AppleEvent event = OpenDocumentEvent(path, gSettings->useDocPrefs() == 1);
    const LaunchEnvironment environment = EventEnvironment(event, path);
    if (!IsDesktopEntryPath(appPath)) {
        LogError(
            LaunchBundle(appPath, path, WritePropertyListXml(event.toPropertyList()), environment));
        return;
    }
    // An entry stored before it changed, or chosen in an earlier Tavo, is
    // checked again: the log says why it cannot take the document.
    const QString refusal = DesktopEntryRefusal(appPath);
    if (refusal.isNull())
        LogError(LaunchDesktopEntry(appPath, path, environment));
    else
        LogError(refusal, appPath);
}
