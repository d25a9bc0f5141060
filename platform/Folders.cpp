// SPDX-License-Identifier: MIT
#include "platform/Folders.h"

#include "platform/FileName.h"
#include "platform/RegularFile.h"

#include <QDir>

namespace {

bool IsAbsolute(const QString &path) {
    return path.startsWith(QLatin1Char('/'));
}

// An absolute path from the environment, or absent.
QString FolderVariable(const char *name) {
    const QString value = DecodeFileName(qgetenv(name));
    return IsAbsolute(value) ? QDir::cleanPath(value) : QString();
}

QString Home() {
    return FolderVariable("HOME");
}

// A value of user-dirs.dirs, as xdg-user-dirs writes it: "$HOME/Work" or
// "/srv/jobs", in double quotes, with a backslash before a quote or backslash
// of the name. Absent for anything else, relative names included.
QString UserDirValue(const QByteArray &text, const QString &home) {
    QByteArray value;
    if (text.startsWith('"')) {
        for (qsizetype i = 1; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\' && i + 1 < text.size())
                ++i;
            value += text[i];
        }
    } else {
        value = text;
    }
    QString path;
    if (value.startsWith("$HOME") && (value.size() == 5 || value[5] == '/')) {
        if (home.isNull())
            return QString();
        path = home + DecodeFileName(value.mid(5));
    } else if (value.startsWith('/')) {
        path = DecodeFileName(value);
    } else {
        return QString();
    }
    return QDir::cleanPath(path);
}

// The documents folder that the user's user-dirs.dirs names; the last valid
// line counts, as with the desktop's own readers.
QString UserDocumentsDir(const QString &configFolder, const QString &home) {
    QString error;
    const std::optional<QByteArray> file =
        ReadRegularFile(configFolder + QStringLiteral("/user-dirs.dirs"), qint64(1) << 20, &error);
    if (!file)
        return QString();
    QString found;
    for (const QByteArray &line : file->split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (!trimmed.startsWith("XDG_DOCUMENTS_DIR"))
            continue;
        QByteArray rest = trimmed.mid(17).trimmed();
        if (!rest.startsWith('='))
            continue;
        const QString path = UserDirValue(rest.mid(1).trimmed(), home);
        if (!path.isNull())
            found = path;
    }
    return found;
}

QStringList AbsoluteEntries(const QByteArray &list) {
    QStringList folders;
    for (const QByteArray &entry : list.split(':')) {
        const QString folder = DecodeFileName(entry);
        if (IsAbsolute(folder))
            folders << QDir::cleanPath(folder);
    }
    return folders;
}

} // namespace

QString DocumentsFolder() {
    const QString home = Home();
    const QString config = ApplicationSupportFolder();
    if (!config.isNull()) {
        const QString documents = UserDocumentsDir(config, home);
        if (!documents.isNull())
            return documents;
    }
    return home.isNull() ? QString() : home + QStringLiteral("/Documents");
}

QString ApplicationSupportFolder() {
    const QString config = FolderVariable("XDG_CONFIG_HOME");
    if (!config.isNull())
        return config;
    const QString home = Home();
    return home.isNull() ? QString() : home + QStringLiteral("/.config");
}

QStringList ConfigurationFolders() {
    QStringList folders = AbsoluteEntries(qgetenv("XDG_CONFIG_DIRS"));
    if (folders.isEmpty())
        folders << QStringLiteral("/etc/xdg");
    const QString user = ApplicationSupportFolder();
    if (!user.isNull())
        folders.prepend(user);
    return folders;
}

QString ApplicationsFolder() {
    return QStringLiteral("/opt");
}

void DropRelativeFolderVariables() {
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                             "XDG_STATE_HOME", "XDG_RUNTIME_DIR"})
        if (qEnvironmentVariableIsSet(name) && !qgetenv(name).startsWith('/'))
            qunsetenv(name);
    for (const char *name : {"XDG_CONFIG_DIRS", "XDG_DATA_DIRS"}) {
        if (!qEnvironmentVariableIsSet(name))
            continue;
        QByteArrayList kept;
        for (const QByteArray &entry : qgetenv(name).split(':'))
            if (entry.startsWith('/'))
                kept << entry;
        kept.isEmpty() ? qunsetenv(name) : qputenv(name, kept.join(':'));
    }
}
