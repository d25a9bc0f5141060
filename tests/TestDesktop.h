// SPDX-License-Identifier: MIT
#pragma once

// A desktop of the tests' own, installed once per test process before
// anything asks GIO about applications (GIO reads the XDG folders once):
// applications in the sandbox's data folder and the user's defaults in its
// mimeapps.list, and layout applications for a chooser to offer (a usable one
// in a subfolder as Wine writes it, one that takes no document). The viewer
// copies the file it is given to TestDesktopLaunchRecord(), so that a real
// launch can be seen.

#include "EntryFixtures.h"

#include <QStandardPaths>

inline QString TestDesktopLaunchRecord() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           "/tavo-test-launched";
}

inline bool InstallTestDesktop() {
    const QString apps =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/applications/";
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    // Entries of other applications are named like their files.
    const auto entry = [&](const char *file, const QByteArray &lines, const char *name = nullptr) {
        return !WriteEntry(apps + file, name ? name : file, lines).isNull();
    };
    return entry("wine/Programs/QuarkXPress 2016/QuarkXPress 2016 (Wine).desktop", "Exec=true %f\n",
                 "QuarkXPress 2016 (Wine)") &&
           entry("tavo-test-quark.desktop", "Exec=true\n", "QuarkXPress 2018 Launcher") &&
           entry("tavo-test-indesign.desktop", "Exec=true %u\n", "Adobe InDesign 2024 (VM)") &&
           entry("tavo-test-viewer.desktop", "MimeType=application/pdf;\nExec=cp %f " +
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
