#pragma once

// Application bundles made in a temporary folder, whose program is a small
// script that records its argument and its standard input.

#include "TestSupport.h"
#include "platform/PropertyList.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

// Makes `bundle` (a folder ending in .app) whose program writes its argument
// to `record`.arg and its standard input to `record`.in, then `record`.done.
inline bool MakeRecordingBundle(const QString &bundle, const QString &record,
                                bool withInfoPlist = true) {
    QDir dir;
    QString program;
    if (withInfoPlist) {
        if (!dir.mkpath(bundle + "/Contents/MacOS"))
            return false;
        if (!WritePropertyListFile(bundle + "/Contents/Info.plist",
                                   QVariantMap{{"CFBundleExecutable", "Layout App"}}))
            return false;
        program = bundle + "/Contents/MacOS/Layout App";
    } else {
        if (!dir.mkpath(bundle))
            return false;
        QString name = QFileInfo(bundle).fileName();
        name.chop(4);
        program = bundle + "/" + name;
    }
    QFile script(program);
    if (!script.open(QIODevice::WriteOnly))
        return false;
    script.write("#!/bin/sh\n"
                 "printf '%s' \"$1\" > '" +
                 QFile::encodeName(record) +
                 ".arg'\n"
                 "cat > '" +
                 QFile::encodeName(record) +
                 ".in'\n"
                 "echo $# > '" +
                 QFile::encodeName(record) + ".done'\n");
    script.close();
    return script.setPermissions(script.permissions() | QFile::ExeOwner | QFile::ExeUser);
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
