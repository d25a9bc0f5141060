// SPDX-License-Identifier: MIT
#include "platform/BundleLauncher.h"

#include "platform/DetachedProcess.h"
#include "platform/FileName.h"
#include "platform/PropertyList.h"
#include "platform/PropertyValues.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString Tr(const char *text) {
    return QCoreApplication::translate("BundleLauncher", text);
}

bool IsExecutableFile(const QFileInfo &info) {
    return info.isFile() && info.isExecutable();
}

} // namespace

QString BundleProgram(const QString &bundlePath, QString *error) {
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return QString();
    };
    const QFileInfo bundle(bundlePath);
    if (bundlePath.isEmpty() || !bundle.isDir())
        return fail(Tr("There is no application at “%1”.").arg(bundlePath));

    const QDir dir(bundle.absoluteFilePath());
    const QString infoPlist = dir.filePath(QStringLiteral("Contents/Info.plist"));
    QFileInfo program;
    if (QFileInfo::exists(infoPlist)) {
        const QString name = TextValue(
            ReadPropertyListFile(infoPlist).toMap().value(QStringLiteral("CFBundleExecutable")));
        // The name must stay inside Contents/MacOS: no path of its own.
        if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..") ||
            name == QLatin1String("."))
            return fail(
                Tr("The application “%1” names no program in its Info.plist.").arg(bundlePath));
        program = QFileInfo(dir.filePath(QStringLiteral("Contents/MacOS/") + name));
    } else {
        QString name = bundle.fileName();
        if (name.endsWith(QLatin1String(".app"), Qt::CaseInsensitive))
            name.chop(4);
        program = QFileInfo(dir.filePath(name));
    }
    if (!program.exists())
        return fail(
            Tr("The application “%1” has no program at “%2”.").arg(bundlePath, program.filePath()));
    if (!IsExecutableFile(program))
        return fail(Tr("The program “%1” cannot be run.").arg(program.filePath()));
    return program.absoluteFilePath();
}

QString LaunchBundle(const QString &bundlePath, const QString &argument, const QByteArray &input,
                     const LaunchEnvironment &environment) {
    QString error;
    const QString program = BundleProgram(bundlePath, &error);
    if (program.isNull())
        return error;
    error =
        StartDetached(EncodeFileName(program), {EncodeFileName(argument)},
                      EncodeFileName(QFileInfo(bundlePath).absoluteFilePath()), input, environment);
    if (!error.isNull())
        return Tr("The program “%1” could not be started: %2").arg(program, error);
    return QString();
}
