// SPDX-License-Identifier: MIT
#pragma once

// Points the user's folders (home, XDG configuration, data, cache, runtime)
// into `root`, so that nothing a test or fuzz run does reaches the real
// settings, log or desktop. Call before the first QApplication.

#include <QDir>
#include <QFile>

inline void PointUserFoldersAt(const QString &root) {
    const QByteArray native = QFile::encodeName(root);
    qputenv("HOME", native);
    qputenv("XDG_CONFIG_HOME", native + "/.config");
    qputenv("XDG_CONFIG_DIRS", native + "/etc-xdg");
    qputenv("XDG_DATA_HOME", native + "/.local/share");
    qputenv("XDG_CACHE_HOME", native + "/.cache");
    qputenv("XDG_RUNTIME_DIR", native + "/run");
    QDir(root).mkpath(QStringLiteral("run"));
    QFile::setPermissions(root + QStringLiteral("/run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
