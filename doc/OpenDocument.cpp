// SPDX-License-Identifier: MIT
#include "doc/OpenDocument.h"

#include "doc/AppleEvent.h"
#include "doc/IdentifyDocument.h"
#include "doc/InDesignVersions.h"
#include "platform/BundleLauncher.h"
#include "platform/FileName.h"
#include "platform/Format.h"
#include "platform/PropertyList.h"
#include "strings/Alerts.h"
#include "strings/Translate.h"
#include "toolkit/Log.h"
#include "toolkit/Paths.h"
#include "toolkit/TavoSettings.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

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

// Moves `from` to `to` unless something already has that name, in one step,
// so that no other document can be replaced, even one made in between.
bool MoveWithoutReplacing(const QString &from, const QString &to, QString *error) {
    const QByteArray source = EncodeFileName(from);
    const QByteArray target = EncodeFileName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return true;
    if (errno == EEXIST) {
        *error = Format(Tr("A file named “%@” already exists; the document was not renamed."),
                        LastPathComponent(to));
        return false;
    }
    *error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
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
        ShowAlertIn(window, TextForKey("unknownDocType", {}), pendingAlertDetail);
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
    QString error;
    if (!MoveWithoutReplacing(path, newPath, &error)) {
        LogError(error, path);
        return path;
    }
    return newPath;
}

void OpenDocWithApp(const QString &path, const QString &appPath) {
    const AppleEvent event = OpenDocumentEvent(path, gSettings->useDocPrefs() == 1);
    LogError(LaunchBundle(appPath, path, WritePropertyListXml(event.toPropertyList())));
}
