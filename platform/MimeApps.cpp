#include "platform/MimeApps.h"

#include "platform/DesktopEntry.h"
#include "platform/KeyFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>
#include <QStandardPaths>

namespace {

const QString kDefaults = QStringLiteral("Default Applications");
const QString kAdded = QStringLiteral("Added Associations");
const QString kRemoved = QStringLiteral("Removed Associations");
const QString kSuffix = QStringLiteral(".desktop");

QStringList ApplicationFolders() {
    QStringList folders;
    for (const QString &data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders.append(data + QStringLiteral("/applications"));
    return folders;
}

// The mimeapps.list files, most important first.
QStringList MimeAppsLists() {
    QStringList names;
    for (const QString &desktop :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        names.append(desktop.toLower() + QStringLiteral("-mimeapps.list"));
    names.append(QStringLiteral("mimeapps.list"));

    QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    folders.append(ApplicationFolders());
    QStringList files;
    for (const QString &folder : folders)
        for (const QString &name : names)
            files.append(folder + QLatin1Char('/') + name);
    return files;
}

// Desktop ids map "kde4-kate.desktop" to kde4/kate.desktop, so each "-" may
// stand for a folder.
QString FindIn(const QString &folder, const QString &id) {
    const QString direct = folder + QLatin1Char('/') + id;
    if (QFileInfo(direct).isFile())
        return direct;
    for (qsizetype dash = id.indexOf(QLatin1Char('-')); dash > 0;
         dash = id.indexOf(QLatin1Char('-'), dash + 1)) {
        const QString sub = folder + QLatin1Char('/') + id.left(dash);
        if (QFileInfo(sub).isDir()) {
            const QString found = FindIn(sub, id.mid(dash + 1));
            if (!found.isEmpty())
                return found;
        }
    }
    return {};
}

bool Usable(const QString &id) {
    const std::optional<DesktopEntry> entry = DesktopEntry::load(FindDesktopEntry(id));
    return entry && entry->isLaunchable() && !entry->runsInTerminal();
}

// The ids that one applications folder declares for the type.
QStringList DeclaredIn(const QString &folder, const QString &type) {
    const QString cache = folder + QStringLiteral("/mimeinfo.cache");
    if (QFileInfo(cache).isFile())
        return KeyFile::read(cache).list(QStringLiteral("MIME Cache"), type);
    QStringList ids;
    QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const std::optional<DesktopEntry> entry = DesktopEntry::load(file);
        if (entry && entry->mimeTypes().contains(type))
            ids.append(
                QDir(folder).relativeFilePath(file).replace(QLatin1Char('/'), QLatin1Char('-')));
    }
    ids.sort();
    return ids;
}

QString AppForExactType(const QString &type) {
    const QStringList lists = MimeAppsLists();
    QList<KeyFile> files;
    for (const QString &list : lists)
        files.append(KeyFile::read(list));

    for (const KeyFile &file : files)
        for (const QString &id : file.list(kDefaults, type))
            if (Usable(id))
                return id;

    QSet<QString> removed;
    for (const KeyFile &file : files) {
        for (const QString &id : file.list(kRemoved, type))
            removed.insert(id);
        for (const QString &id : file.list(kAdded, type))
            if (!removed.contains(id) && Usable(id))
                return id;
    }
    for (const QString &folder : ApplicationFolders())
        for (const QString &id : DeclaredIn(folder, type))
            if (!removed.contains(id) && Usable(id))
                return id;
    return {};
}

QString FirstInstalled(const QStringList &ids) {
    for (const QString &id : ids)
        if (Usable(id))
            return id;
    return ids.value(0);
}

} // namespace

QString FindDesktopEntry(const QString &desktopId) {
    if (desktopId.isEmpty())
        return {};
    if (QDir::isAbsolutePath(desktopId))
        return QFileInfo(desktopId).isFile() ? desktopId : QString();
    QString id = desktopId;
    if (!id.endsWith(kSuffix))
        id += kSuffix;
    for (const QString &folder : ApplicationFolders()) {
        const QString found = FindIn(folder, id);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString DefaultAppForMimeType(const QString &mimeType) {
    if (mimeType.isEmpty())
        return {};
    const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForName(mimeType);
    QStringList types{type.isValid() ? type.name() : mimeType};
    if (type.isValid())
        types.append(type.allAncestors());
    types.removeAll(QStringLiteral("application/octet-stream"));
    for (const QString &name : types) {
        const QString app = AppForExactType(name);
        if (!app.isEmpty())
            return app;
    }
    return {};
}

QString DefaultAppForExtension(const QString &extension) {
    if (extension.isEmpty())
        return {};
    const QMimeDatabase db;
    for (const QMimeType &type : db.mimeTypesForFileName(QStringLiteral("file.") + extension)) {
        const QString app = DefaultAppForMimeType(type.name());
        if (!app.isEmpty())
            return app;
    }
    return {};
}

QString FileManagerApp() {
    const QString app = DefaultAppForMimeType(QStringLiteral("inode/directory"));
    if (!app.isEmpty())
        return app;
    return FirstInstalled({
        QStringLiteral("org.gnome.Nautilus.desktop"),
        QStringLiteral("org.kde.dolphin.desktop"),
        QStringLiteral("thunar.desktop"),
        QStringLiteral("nemo.desktop"),
        QStringLiteral("caja.desktop"),
        QStringLiteral("pcmanfm-qt.desktop"),
        QStringLiteral("pcmanfm.desktop"),
    });
}

QString PlainTextEditorApp() {
    return FirstInstalled({
        QStringLiteral("org.gnome.TextEditor.desktop"),
        QStringLiteral("org.gnome.gedit.desktop"),
        QStringLiteral("org.kde.kate.desktop"),
        QStringLiteral("org.kde.kwrite.desktop"),
        QStringLiteral("org.xfce.mousepad.desktop"),
        QStringLiteral("pluma.desktop"),
        QStringLiteral("xed.desktop"),
        QStringLiteral("featherpad.desktop"),
    });
}
