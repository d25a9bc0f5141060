// SPDX-License-Identifier: MIT
#include "toolkit/Log.h"

#include "platform/AppIdentity.h"
#include "platform/FileName.h"
#include "platform/Folders.h"
#include "platform/Ownership.h"
#include "toolkit/Paths.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

// Makes the log's folder as needed, and answers why the log may not be kept
// there: only folders of Tavo's user (or root's) are written into, reached
// through no link of another user. The log cannot use the file utilities for
// this, since they write their own failures to the log.
QString LogFolderProblem(const QString &folder) {
    const QByteArray native = EncodeFileName(folder);
    // The nearest folder that exists is where the first new one is made.
    QByteArray existing = native;
    struct stat info {};
    while (::stat(existing.constData(), &info) != 0) {
        const qsizetype cut = existing.lastIndexOf('/');
        existing = cut > 0 ? existing.left(cut) : QByteArray("/");
    }
    for (bool made = existing == native;; made = true) {
        if (!S_ISDIR(info.st_mode))
            return QStringLiteral("%1 is not a folder").arg(DecodeFileName(existing));
        QString problem = ForeignLinkOnPath(existing);
        if (problem.isEmpty())
            problem = ForeignOwnerProblem(info, DecodeFileName(existing));
        if (!problem.isEmpty() || made)
            return problem;
        std::error_code error;
        std::filesystem::create_directories(native.toStdString(), error);
        if (!error && ::stat(native.constData(), &info) != 0)
            error = std::error_code(errno, std::generic_category());
        if (error)
            return QStringLiteral("The folder “%1” could not be created: %2")
                .arg(folder, QString::fromLocal8Bit(error.message()));
        existing = native;
    }
}

// Removes the old log, and only a file: whatever else has taken its name
// (a folder of somebody's files) is left alone, and the log writes nothing.
// A link is removed itself; what it leads to is not the log.
void RemoveLogFile() {
    const QByteArray native = EncodeFileName(gLogPath);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return;
    if (::unlink(native.constData()) != 0)
        LogError(QString::fromLocal8Bit(std::strerror(errno)), gLogPath);
}

// The log file, when it is a regular file of Tavo's user (or root's) that no
// link leads to: a link there may lead to any file of the user's, and what
// the log writes would cut or fill it. -1 for anything else, which is left
// alone.
int OpenLogFile(int flags, struct stat *status) {
    const int fd = ::open(EncodeFileName(gLogPath).constData(),
                          flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, status) == 0 && S_ISREG(status->st_mode) &&
        ForeignOwnerProblem(*status, gLogPath).isEmpty())
        return fd;
    ::close(fd);
    return -1;
}

bool WriteAllBytes(int fd, const char *bytes, qint64 size) {
    for (qint64 done = 0; done < size;) {
        const ssize_t n = ::write(fd, bytes + done, size_t(size - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// The trim reads and copies a block at a time, whatever the size of the log
// or of the part kept.
constexpr qint64 kBlock = 64 * 1024;

ssize_t ReadAt(int fd, char *buffer, qint64 size, qint64 offset) {
    for (;;) {
        const ssize_t n = ::pread(fd, buffer, size_t(size), offset);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

// Where the part kept of a log of `size` bytes starts, to keep at most its
// last `size - from` bytes: at the first line that starts there or after,
// or, when no line does (one long line), at the first character. Only the
// part kept is read. -1 when it cannot be read.
qint64 CutPoint(int fd, qint64 from, qint64 size) {
    QByteArray block(qsizetype(kBlock), Qt::Uninitialized);
    // A line break just before `from` starts a line at it; one as the last
    // byte would leave nothing.
    for (qint64 at = from - 1; at < size - 1;) {
        const ssize_t n = ReadAt(fd, block.data(), std::min(kBlock, size - 1 - at), at);
        if (n <= 0)
            return -1;
        if (const void *lineEnd = std::memchr(block.constData(), '\n', size_t(n)))
            return at + (static_cast<const char *>(lineEnd) - block.constData()) + 1;
        at += n;
    }
    // A UTF-8 character continues for at most three bytes.
    const ssize_t n = ReadAt(fd, block.data(), 3, from);
    qint64 start = from;
    for (qsizetype i = 0; i < n && (static_cast<uchar>(block[i]) & 0xC0) == 0x80; ++i)
        ++start;
    return start;
}

// Cut whole or not at all: the part kept goes to a new file beside the log,
// which then takes the log's name, so a full disk leaves the old log as it
// was. The rename replaces the name itself, never what a link there leads
// to. Lines another Tavo appends meanwhile are copied too, up to the rename.
void CutLog(int fd, const struct stat &status, qint64 limit) {
    const qint64 start = CutPoint(fd, status.st_size - limit, status.st_size);
    if (start < 0)
        return;
    const QByteArray log = EncodeFileName(gLogPath);
    QByteArray temporary = log + ".trim-XXXXXX";
    const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0)
        return;
    QByteArray block(qsizetype(kBlock), Qt::Uninitialized);
    bool written = true;
    for (qint64 at = start;;) {
        const ssize_t n = ReadAt(fd, block.data(), kBlock, at);
        if (n <= 0) {
            written = n == 0;
            break;
        }
        if (!WriteAllBytes(out, block.constData(), n)) {
            written = false;
            break;
        }
        at += n;
    }
    written = written && ::fchmod(out, status.st_mode & 07777) == 0 && ::fsync(out) == 0;
    written = ::close(out) == 0 && written;
    if (!written || ::rename(temporary.constData(), log.constData()) != 0)
        ::unlink(temporary.constData());
}

// A line of the log says one thing: characters that would end it early or
// change how a terminal shows it (line breaks, C0 and C1 controls, the line
// and paragraph separators, the marks that reorder text) are written escaped,
// as \n, \xNN or \uNNNN; bytes of names that are not UTF-8 are written as
// \xNN. Characters beyond the Basic Multilingual Plane are kept as they are.
QString Escaped(const QString &message) {
    QString out;
    out.reserve(message.size());
    for (qsizetype i = 0; i < message.size(); ++i) {
        const char16_t u = message[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < message.size() &&
            QChar::isLowSurrogate(message[i + 1].unicode())) {
            out += message[i];
            out += message[++i];
        } else if (u == '\n') {
            out += QLatin1String("\\n");
        } else if (u == '\r') {
            out += QLatin1String("\\r");
        } else if (u == '\t') {
            out += QLatin1String("\\t");
        } else if (u < 0x20 || u == 0x7F || (u >= 0xDC80 && u <= 0xDCFF)) {
            out += QStringLiteral("\\x%1").arg(u & 0xFF, 2, 16, QLatin1Char('0'));
        } else if ((u >= 0x80 && u <= 0x9F) || QChar::isSurrogate(u) || u == 0x061C ||
                   u == 0x200E || u == 0x200F || (u >= 0x2028 && u <= 0x202E) ||
                   (u >= 0x2066 && u <= 0x2069)) {
            out += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
        } else {
            out += message[i];
        }
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
    if (const QString problem = LogFolderProblem(folder); !problem.isEmpty()) {
        // Where else could it say so?
        std::fprintf(stderr, "%s: no log: %s\n", kProgramName, EncodeFileName(problem).constData());
        return;
    }
    gLogPath = BuildPath(folder, kName, QStringLiteral("txt"));

    if (mode == 1)
        RemoveLogFile();
    else
        TrimLog(limit);

    // Never over anything already there, not even a link.
    const int fd = ::open(EncodeFileName(gLogPath).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0)
        ::close(fd);
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
    if (limit < 0 || gLogPath.isEmpty())
        return;
    struct stat status {};
    const int fd = OpenLogFile(O_RDONLY, &status);
    if (fd < 0)
        return;
    if (status.st_size > limit)
        CutLog(fd, status, limit);
    ::close(fd);
}

void WriteLog(const QString &text) {
    if (!gLogEnabled || gLogPath.isEmpty())
        return;
    const QByteArray bytes = text.isNull() ? QByteArrayLiteral("(null)") : text.toUtf8();
    // The log is never created here: a log removed while Tavo runs stays
    // removed, and its lines are lost. Nor is anything but a file written.
    struct stat status {};
    const int fd = OpenLogFile(O_WRONLY | O_APPEND, &status);
    if (fd < 0)
        return;
    if (WriteAllBytes(fd, bytes.constData(), bytes.size()))
        ::fsync(fd);
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
