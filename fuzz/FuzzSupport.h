// SPDX-License-Identifier: MIT
#pragma once

// The process every fuzz target runs in: one application object on the
// offscreen platform, the user's folders in a private temporary home (so no
// input can reach the real settings, defaults or log), the repository's
// resources as the bundle, and alerts answered without a modal loop.

#include "strings/Alerts.h"
#include "tests/SandboxHome.h"
#include "toolkit/Resources.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

// The private home; every target keeps its scratch files below it.
inline const QTemporaryDir &FuzzHome() {
    static QTemporaryDir home;
    return home;
}

inline void StartFuzzProcess() {
    static const bool started = [] {
        PointUserFoldersAt(FuzzHome().path());
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "tavo-fuzz";
        static char *argv[] = {name, nullptr};
        // Never destroyed: the driver ends the process without unwinding.
        new QApplication(argc, argv);
        gBundle = Bundle(QStringLiteral(TAVO_RESOURCES));
        SetAlertPresenter([](const AlertRequest &) { return 0; });
        return true;
    }();
    (void)started;
}

// Writes the input to `name` in the private home and answers its path.
inline QString WriteFuzzFile(const QString &name, const uint8_t *data, size_t size) {
    const QString path = FuzzHome().filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    return path;
}
