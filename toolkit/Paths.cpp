// SPDX-License-Identifier: MIT
#include "toolkit/Paths.h"

#include "platform/FileName.h"

#include <QMimeData>
#include <QUrl>

#include <sys/stat.h>

namespace {

const QChar kSlash = QLatin1Char('/');
const QChar kDot = QLatin1Char('.');

// The path without trailing slashes; the root stays "/".
QString WithoutTrailingSlashes(const QString &path) {
    qsizetype end = path.size();
    while (end > 1 && path[end - 1] == kSlash)
        --end;
    return path.left(end);
}

// Where the extension's dot is in the path, or -1. A name that only starts
// with a dot (".profile") has no extension.
qsizetype ExtensionDot(const QString &trimmedPath) {
    const qsizetype nameStart = trimmedPath.lastIndexOf(kSlash) + 1;
    const qsizetype dot = trimmedPath.lastIndexOf(kDot);
    return dot > nameStart ? dot : -1;
}

QString DeletingPathExtension(const QString &path) {
    const QString trimmed = WithoutTrailingSlashes(path);
    const qsizetype dot = ExtensionDot(trimmed);
    return dot < 0 ? trimmed : trimmed.left(dot);
}

QString AppendingPathExtension(const QString &path, const QString &extension) {
    return WithoutTrailingSlashes(path) + kDot + extension;
}

QString AppendingPathComponent(const QString &folder, const QString &name) {
    QString head = WithoutTrailingSlashes(folder);
    qsizetype skip = 0;
    while (skip < name.size() && name[skip] == kSlash)
        ++skip;
    if (head.isEmpty())
        return name.mid(skip);
    if (!head.endsWith(kSlash))
        head += kSlash;
    return head + name.mid(skip);
}

} // namespace

QString PathExtension(const QString &path) {
    const QString trimmed = WithoutTrailingSlashes(path);
    const qsizetype dot = ExtensionDot(trimmed);
    return dot < 0 ? QString() : trimmed.mid(dot + 1);
}

QString LastPathComponent(const QString &path) {
    const QString trimmed = WithoutTrailingSlashes(path);
    if (trimmed == QStringLiteral("/"))
        return trimmed;
    return trimmed.mid(trimmed.lastIndexOf(kSlash) + 1);
}

bool FileExists(const QString &path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(EncodeFileName(path).constData(), &st) == 0;
}

bool IsDirectory(const QString &path) {
    struct stat st {};
    return !path.isEmpty() && ::stat(EncodeFileName(path).constData(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

bool HasExtension(const QString &path, const QString &extension) {
    if (path.isNull() || extension.isNull())
        return false;
    const QString last = LastPathComponent(path).split(kDot).constLast();
    return last.compare(extension, Qt::CaseInsensitive) == 0;
}

QString ReplaceExtension(const QString &path, const QString &extension) {
    // Nothing to attach an extension to: the input comes back unchanged.
    if (path.isEmpty() || extension.isNull())
        return path;
    return AppendingPathExtension(DeletingPathExtension(path), extension);
}

QString BuildPath(const QString &folder, const QString &name, const QString &extension) {
    if (name.isEmpty())
        return folder;
    // No folder, no path: a relative one would name a place nobody chose.
    if (folder.isNull())
        return QString();
    QString path = AppendingPathComponent(folder, name);
    if (!extension.isNull())
        path = AppendingPathExtension(path, extension);
    return path;
}

qint64 FileSize(const QString &path) {
    struct stat st {};
    if (path.isEmpty() || ::stat(EncodeFileName(path).constData(), &st) != 0)
        return 0;
    return st.st_size;
}

QString PasteboardFileName(const QMimeData *data) {
    if (!data)
        return {};
    // The URL carries the name's bytes percent-encoded; they are taken as
    // they are, since QUrl::toLocalFile() would spoil bytes that are not UTF-8.
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            return DecodeFileName(
                QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    return {};
}

bool StringsEqual(const QString &a, const QString &b) {
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a.compare(b, Qt::CaseSensitive) == 0;
}

bool StringInArray(const QString &text, const QStringList &array) {
    for (const QString &item : array)
        if (StringsEqual(item, text))
            return true;
    return false;
}

bool HasPrefix(const QString &text, const QString &prefix) {
    if (text.isNull() || prefix.isEmpty() || text.size() < prefix.size())
        return false;
    return text.startsWith(prefix, Qt::CaseSensitive);
}
