// SPDX-License-Identifier: MIT
#include "toolkit/FileUtils.h"

#include "platform/DesktopApps.h"
#include "platform/FileName.h"
#include "toolkit/Log.h"

#include <QFileInfo>

#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path NativePath(const QString &path) {
    return std::filesystem::path(EncodeFileName(path).toStdString());
}

QString ErrorText(const std::error_code &error) {
    return QString::fromLocal8Bit(error.message());
}

} // namespace

bool OpenItem(const QString &path) {
    if (!IsDirectory(path))
        return OpenFileWithApp(path, QString(), true);
    const QString fileManager = FileManagerApp();
    return !fileManager.isEmpty() && OpenFileWithApp(path, fileManager, true);
}

bool OpenFileWithApp(const QString &path, const QString &appName, bool deactivate) {
    if (!FileExists(path))
        return false;
    QString app = appName;
    if (app.isNull())
        app = AppNameForExtension(PathExtension(path), QStringLiteral("txt"), PlainTextEditorApp());
    if (app.isEmpty())
        return false;
    return LaunchDesktopApp(app, {path}, deactivate);
}

QString AppNameForExtension(const QString &extension, const QString &fallbackExtension,
                            const QString &fallbackApp) {
    QString app = DefaultAppForExtension(extension);
    if (app.isEmpty())
        app = DefaultAppForExtension(fallbackExtension);
    if (app.isEmpty())
        return fallbackApp;
    return app;
}

bool CreateFolder(const QString &path) {
    if (FileExists(path))
        return true;
    if (path.isEmpty())
        return false;
    std::error_code error;
    std::filesystem::create_directories(NativePath(path), error);
    if (error) {
        LogError(
            QStringLiteral("The folder “%1” could not be created: %2").arg(path, ErrorText(error)));
        return false;
    }
    return true;
}

bool RemoveItem(const QString &path) {
    if (!FileExists(path))
        return true;
    std::error_code error;
    std::filesystem::remove_all(NativePath(path), error);
    if (error) {
        LogError(QStringLiteral("“%1” could not be removed: %2")
                     .arg(LastPathComponent(path), ErrorText(error)),
                 path);
        return false;
    }
    return true;
}
