// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Format.h"

#include <QString>
#include <QVariantList>

// The plain-text log, Documents/Vellmoran/Tavo.txt. Nothing is written before
// StartLog; every line is appended with its own open, write, flush and close.

// mode 1: a fresh log each run; mode 0: keep earlier runs, cut to `limit`
// bytes, with a separator line; other modes: keep and cut, no separator.
void StartLog(quint8 mode, qint64 limit, const QString &makerFolder);
void TrimLog(qint64 limit);
void WriteLog(const QString &text);
void LogLine(const QString &format, const QVariantList &args);
// Forgets what StartLog set: nothing is written until the next start. Tavo
// keeps its log to the end; tests start each from nothing.
void StopLog();
// The path of the log file; absent before StartLog.
QString LogPath();
// False until StartLog, true from then on.
bool LoggingEnabled();

// Nothing is formatted for an absent format or before StartLog.
template <typename... Args> void LogFormat(const QString &format, const Args &...args) {
    if (format.isNull() || !LoggingEnabled())
        return;
    LogLine(format, FormatArgs(args...));
}

// An error is its description; a null description is no error and writes
// nothing. With a context the message is "context: description".
void LogError(const QString &errorDescription, const QString &context = QString());
