// SPDX-License-Identifier: MIT
#include "platform/Folders.h"

#include <QStandardPaths>

namespace {

// Qt makes the user's folders from HOME, and without one from "/", which
// would put the user's files in the root of the file system: a user without
// a home has no such folders, and Tavo keeps nothing there.
QString UserFolder(QStandardPaths::StandardLocation location) {
    const QString folder = QStandardPaths::writableLocation(location);
    if (folder.isEmpty() ||
        (qEnvironmentVariableIsEmpty("HOME") && folder.startsWith(QLatin1String("//"))))
        return QString();
    return folder;
}

} // namespace

QString DocumentsFolder() {
    return UserFolder(QStandardPaths::DocumentsLocation);
}

QString ApplicationSupportFolder() {
    return UserFolder(QStandardPaths::GenericConfigLocation);
}

QString ApplicationsFolder() {
    return QStringLiteral("/opt");
}
