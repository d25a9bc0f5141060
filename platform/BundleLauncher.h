// SPDX-License-Identifier: MIT
#pragma once

#include "platform/LaunchEnvironment.h"

#include <QByteArray>
#include <QString>

// An application bundle is a folder. Its program is
// Contents/MacOS/<CFBundleExecutable of Contents/Info.plist>, or, in a bundle
// without an Info.plist, the file named like the bundle (less ".app") inside it.

// The program of the bundle, or an absent text with `error` set to why not.
QString BundleProgram(const QString &bundlePath, QString *error = nullptr);

// Starts the bundle's program detached, with `argument` as its one argument
// and `input` on its standard input, `environment` added to its own. Neither waits for the program
// nor leaves a zombie behind. Answers an absent text on success, else the error's description.
QString LaunchBundle(const QString &bundlePath, const QString &argument, const QByteArray &input,
                     const LaunchEnvironment &environment = {});
