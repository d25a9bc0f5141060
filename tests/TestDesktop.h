// SPDX-License-Identifier: MIT
#pragma once

// A desktop of the tests' own, installed once per test process before
// anything asks GIO about applications (GIO reads the XDG folders once):
// applications in the sandbox's data folder and the user's defaults in its
// mimeapps.list. The viewer copies the file it is given to
// TestDesktopLaunchRecord(), so that a real launch can be seen.

#include "TestSupport.h"

#include <QStandardPaths>

inline QString TestDesktopLaunchRecord() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           "/tavo-test-launched";
}

inline bool InstallTestDesktop() {
    const QString apps =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/applications/";
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const auto entry = [&](const char *id, const QByteArray &lines) {
        return WriteAll(apps + id,
                        "[Desktop Entry]\nType=Application\nName=" + QByteArray(id) + "\n" + lines);
    };
    return entry("tavo-test-viewer.desktop", "MimeType=application/pdf;\nExec=cp %f " +
                                                 QFile::encodeName(TestDesktopLaunchRecord()) +
                                                 "\n") &&
           entry("tavo-test-gone.desktop", "MimeType=application/pdf;\n"
                                           "TryExec=/nonexistent/tavo-gone\nExec=tavo-gone %f\n") &&
           entry("tavo-test-editor.desktop", "MimeType=text/plain;\nExec=true %f\n") &&
           entry("tavo-test-files.desktop", "MimeType=inode/directory;\nExec=true %f\n") &&
           WriteAll(config + "/mimeapps.list",
                    "[Default Applications]\n"
                    "application/pdf=tavo-test-gone.desktop;tavo-test-viewer.desktop;\n"
                    "text/plain=tavo-test-editor.desktop;\n"
                    "inode/directory=tavo-test-files.desktop;\n");
}
