// SPDX-License-Identifier: MIT
#include "doc/DesktopEntries.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStandardPaths>

// Temporary stand-in until the desktop entries arrive from their own branch.

namespace {

QHash<QString, QString> MainGroup(const QString &path) {
    QHash<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'['))
            inGroup = line == QLatin1String("[Desktop Entry]");
        else if (inGroup && line.contains(u'='))
            keys.insert(line.section(u'=', 0, 0).trimmed(), line.section(u'=', 1).trimmed());
    }
    return keys;
}

} // namespace

bool IsDesktopEntryPath(const QString &path) {
    return path.endsWith(QLatin1String(".desktop"));
}

QString DesktopEntryRefusal(const QString &entryPath) {
    const auto keys = MainGroup(entryPath);
    const QString exec = keys.value(QStringLiteral("Exec"));
    if (keys.value(QStringLiteral("Type")) != QLatin1String("Application") || exec.isEmpty())
        return QStringLiteral("It is no application's desktop entry.");
    for (const QString &program :
         {keys.value(QStringLiteral("TryExec")), exec.section(u' ', 0, 0)}) {
        if (!program.isEmpty() && QStandardPaths::findExecutable(program).isEmpty())
            return QStringLiteral("Its program %1 is not installed.").arg(program);
    }
    static const QRegularExpression fileCodes(QStringLiteral("%[fFuU]|\\bwine\\b"));
    if (!exec.contains(fileCodes))
        return QStringLiteral("It takes no document.");
    return QString();
}
