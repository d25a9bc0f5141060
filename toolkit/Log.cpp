#include "toolkit/Log.h"

#include "platform/AppIdentity.h"

#include "platform/Folders.h"
#include "toolkit/FileUtils.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <QSaveFile>

#include <unistd.h>

namespace {

// The log's process-wide state: set by StartLog, never reset.
QString gLogPath;
bool gLogEnabled = false;

const QString kName = QString::fromLatin1(kAppName);

} // namespace

void StartLog(quint8 mode, qint64 limit, const QString &makerFolder) {
    gLogEnabled = true;
    QString folder = DocumentsFolder();
    if (!makerFolder.isNull())
        folder = BuildPath(folder, makerFolder);
    // A Linux home need not have a Documents folder yet, so it is created
    // even without a maker folder; without it every line would be lost.
    CreateFolder(folder);
    gLogPath = BuildPath(folder, kName, QStringLiteral("txt"));

    if (mode == 1)
        RemoveItem(gLogPath);
    else
        TrimLog(limit);

    if (!FileExists(gLogPath)) {
        QFile file(gLogPath);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            file.close();
    }
    if (mode == 0)
        WriteLog(QString(73, QLatin1Char('-')) + QLatin1Char('\n'));
    const QString now =
        QLocale::system().toString(QDateTime::currentDateTime(), QLocale::ShortFormat);
    WriteLog(Format(QStringLiteral("%@: %@ %s\n"), now, kName, kAppVersion));
}

void TrimLog(qint64 limit) {
    if (limit == 0) {
        RemoveItem(gLogPath);
        return;
    }
    // A negative limit names no size to cut to; the log is kept whole rather
    // than guessed at.
    if (limit < 0)
        return;
    const qint64 size = FileSize(gLogPath);
    if (size <= limit)
        return;
    QFile in(gLogPath);
    if (!in.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = in.readAll();
    in.close();
    if (bytes.size() <= limit)
        return;
    QSaveFile out(gLogPath);
    if (!out.open(QIODevice::WriteOnly))
        return;
    out.write(bytes.right(limit));
    out.commit();
}

void WriteLog(const QString &text) {
    if (!gLogEnabled || gLogPath.isEmpty())
        return;
    const QByteArray bytes = text.isNull() ? QByteArrayLiteral("(null)") : text.toUtf8();
    // The log is never created here: a log removed while Tavo runs stays
    // removed, and its lines are lost.
    QFile file(gLogPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly))
        return;
    file.write(bytes);
    file.flush();
    ::fsync(file.handle());
    file.close();
}

void LogLine(const QString &format, const QVariantList &args) {
    const QString message = FormatString(format, args);
    const QString time = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz"));
    WriteLog(Format(QStringLiteral("%@: %@::%@\n"), time, kName, message));
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
