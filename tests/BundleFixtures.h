// SPDX-License-Identifier: MIT
#pragma once

// Application bundles made in a temporary folder, whose program is a small
// script that records its argument and its standard input.

#include "TestSupport.h"
#include "platform/PropertyList.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

// Makes `bundle` (a folder ending in .app) whose program writes its argument
// to `record`.arg, its standard input to `record`.in, what Tavo tells
// wrappers to `record`.env (the use of the document's preferences, the
// document, the event), then `record`.done.
inline bool MakeRecordingBundle(const QString &bundle, const QString &record,
                                bool withInfoPlist = true) {
    const QString program = withInfoPlist ? bundle + "/Contents/MacOS/Layout App"
                                          : bundle + "/" + QFileInfo(bundle).completeBaseName();
    const QByteArray to = QFile::encodeName(record);
    return WriteAll(program, "#!/bin/sh\nprintf '%s' \"$1\" > '" + to + ".arg'\ncat > '" + to +
                                 ".in'\nprintf '%s|%s|%s' \"$TAVO_USE_DOC_PREFS\" "
                                 "\"$TAVO_DOCUMENT\" \"$TAVO_EVENT\" > '" +
                                 to + ".env'\necho $# > '" + to + ".done'\n") &&
           QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner) &&
           (!withInfoPlist ||
            WritePropertyListFile(bundle + "/Contents/Info.plist",
                                  QVariantMap{{"CFBundleExecutable", "Layout App"}}));
}

// Waits (generously: this is about completion, not speed) for the script.
inline bool WaitForRecord(const QString &record) {
    QDeadlineTimer deadline(20000);
    while (!QFile::exists(record + ".done")) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}
