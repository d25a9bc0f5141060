// SPDX-License-Identifier: MIT
#include "toolkit/Log.h"

#include "platform/AppIdentity.h"
#include "platform/AtomicFile.h"
#include "platform/FileName.h"
#include "platform/Folders.h"
#include "platform/RegularFile.h"
#include "toolkit/Paths.h"

#include <QDateTime>
#include <QLocale>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The log's process-wide state: set by StartLog.
QString gLogPath;
bool gLogEnabled = false;

const QString kName = QString::fromLatin1(kAppName);

// Creates the log's folder. The log cannot use the file utilities for this,
// since they write their own failures to the log.
void MakeFolder(const QString &folder) {
    if (folder.isEmpty() || FileExists(folder))
        return;
    std::error_code error;
    std::filesystem::create_directories(EncodeFileName(folder).toStdString(), error);
    if (error)
        LogError(QStringLiteral("The folder “%1” could not be created: %2")
                     .arg(folder, QString::fromLocal8Bit(error.message())));
}

// Removes the old log, and only a file: whatever else has taken its name
// (a folder of somebody's files) is left alone, and the log writes nothing.
void RemoveLogFile() {
    const QByteArray native = EncodeFileName(gLogPath);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return;
    if (::unlink(native.constData()) != 0)
        LogError(QString::fromLocal8Bit(std::strerror(errno)), gLogPath);
}

// A line of the log says one thing: characters that would end it early or
// hide what it says (line breaks, other controls, bytes of names that are
// not UTF-8) are written escaped, as \n or \xNN.
QString Escaped(const QString &message) {
    QString out;
    out.reserve(message.size());
    for (const QChar c : message) {
        const char16_t u = c.unicode();
        if (u == '\n')
            out += QLatin1String("\\n");
        else if (u == '\r')
            out += QLatin1String("\\r");
        else if (u == '\t')
            out += QLatin1String("\\t");
        else if (u < 0x20 || u == 0x7F || (u >= 0xDC80 && u <= 0xDCFF))
            out += QStringLiteral("\\x%1").arg(u & 0xFF, 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

} // namespace

void StartLog(quint8 mode, qint64 limit, const QString &makerFolder) {
    gLogEnabled = true;
    gLogPath = QString();
    QString folder = DocumentsFolder();
    if (folder.isEmpty())
        return; // no home to keep a log in
    if (!makerFolder.isNull())
        folder = BuildPath(folder, makerFolder);
    // A Linux home need not have a Documents folder yet, so it is created
    // even without a maker folder; without it every line would be lost.
    MakeFolder(folder);
    gLogPath = BuildPath(folder, kName, QStringLiteral("txt"));

    if (mode == 1)
        RemoveLogFile();
    else
        TrimLog(limit);

    if (!FileExists(gLogPath)) {
        const int fd = ::open(EncodeFileName(gLogPath).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
    if (mode == 0)
        WriteLog(QString(73, QLatin1Char('-')) + QLatin1Char('\n'));
    const QString now =
        QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    WriteLog(Format(QStringLiteral("%@: %@ %s\n"), now, kName, kAppVersion));
}

void TrimLog(qint64 limit) {
    if (limit == 0) {
        RemoveLogFile();
        return;
    }
    // A negative limit names no size to cut to; the log is kept whole rather
    // than guessed at.
    if (limit < 0)
        return;
    const qint64 size = FileSize(gLogPath);
    if (size <= limit)
        return;
    QString error;
    const std::optional<QByteArray> bytes = ReadRegularFile(gLogPath, size, &error);
    if (!bytes || bytes->size() <= limit)
        return;
    // Cut whole or not at all: a full disk must not leave half a log.
    WriteFileAtomically(gLogPath, bytes->right(limit), &error);
}

void WriteLog(const QString &text) {
    if (!gLogEnabled || gLogPath.isEmpty())
        return;
    const QByteArray bytes = text.isNull() ? QByteArrayLiteral("(null)") : text.toUtf8();
    // The log is never created here: a log removed while Tavo runs stays
    // removed, and its lines are lost. Nor is anything but a file written.
    const int fd = ::open(EncodeFileName(gLogPath).constData(),
                          O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        ::fsync(fd);
    }
    ::close(fd);
}

void LogLine(const QString &format, const QVariantList &args) {
    const QString message = Escaped(FormatString(format, args));
    const QString time = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz"));
    WriteLog(Format(QStringLiteral("%@: %@::%@\n"), time, kName, message));
}

void StopLog() {
    gLogEnabled = false;
    gLogPath = QString();
}

QString LogPath() {
    return gLogPath;
}

bool LoggingEnabled() {
    return gLogEnabled;
}

void LogError(const QString &errorDescription, const QString &context) {
    if (errorDescription.isNull())
        return;
    if (!context.isNull())
        LogFormat(QStringLiteral("%@: %@"), context, errorDescription);
    else
        LogFormat(QStringLiteral("%@"), errorDescription);
}
