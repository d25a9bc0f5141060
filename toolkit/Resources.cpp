// SPDX-License-Identifier: MIT
#include "toolkit/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

std::optional<Bundle> gBundle;

Bundle Bundle::mainBundle() {
    return Bundle(
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tavo")));
}

QString Bundle::pathForResource(const QString &name, const QString &type) const {
    if (mFolder.isEmpty() || name.isEmpty())
        return {};
    QString file = name;
    if (!type.isEmpty())
        file += QLatin1Char('.') + type;
    const QFileInfo info(QDir(mFolder), file);
    if (!info.isFile())
        return {};
    return info.absoluteFilePath();
}

QString ResourcePath(const QString &name, const QString &type) {
    if (!gBundle)
        return {};
    return gBundle->pathForResource(name, type);
}
