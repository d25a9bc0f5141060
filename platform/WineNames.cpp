// SPDX-License-Identifier: MIT
#include "platform/WineNames.h"

#include "platform/FileName.h"

#include <QDir>
#include <QFileInfo>

#include <climits>
#include <cstdlib>

namespace {

// The path with every link resolved, as the bytes the file system holds.
QByteArray RealPath(const QByteArray &path) {
    char resolved[PATH_MAX];
    return ::realpath(path.constData(), resolved) ? QByteArray(resolved) : QByteArray();
}

} // namespace

QString WindowsName(const QString &winePrefix, const QString &path) {
    // The document's folder resolved, its own name kept: a link to the
    // document is opened under the link's name.
    const QFileInfo info(path);
    const QByteArray folder = RealPath(EncodeFileName(info.absolutePath()));
    if (folder.isEmpty())
        return QString();
    const QByteArray target =
        (folder == "/" ? folder : folder + '/') + EncodeFileName(info.fileName());

    QByteArray bestRoot;
    QChar bestDrive;
    const QDir devices(winePrefix + QStringLiteral("/dosdevices"));
    const QStringList drives =
        devices.entryList({QStringLiteral("?:")}, QDir::AllEntries | QDir::System, QDir::Name);
    for (const QString &drive : drives) {
        if (!drive[0].isLetter())
            continue;
        QByteArray root = RealPath(EncodeFileName(devices.filePath(drive)));
        if (root.isEmpty())
            continue;
        if (!root.endsWith('/'))
            root += '/';
        if (target.startsWith(root) && root.size() > bestRoot.size()) {
            bestRoot = root;
            bestDrive = drive[0].toUpper();
        }
    }
    if (bestRoot.isEmpty())
        return QString();
    QString rest = DecodeFileName(target.mid(bestRoot.size()));
    rest.replace(u'/', u'\\');
    return bestDrive + QStringLiteral(":\\") + rest;
}
