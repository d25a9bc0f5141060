// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// What `tavo [OPTION]... [DOCUMENT]...` asks for, read from the raw
// arguments before Qt sees them: Qt takes its own options (-reverse,
// -style X) out of the arguments, and would take a document named like one.
struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action action = Action::Run;
    // Absolute paths, by their exact bytes (see platform/FileName.h).
    QStringList documents;
    // Documents that no absolute path can name, each as "NAME: why".
    QStringList refused;
    // The program's name and Qt's own options, for QApplication.
    std::vector<char *> qtArguments;
    // For a usage error: what was wrong.
    QString error;
    // Qt was told on the command line where to show its windows (-platform,
    // -display).
    bool namesDisplay = false;
};

// After "--", and for any argument that names an existing file, an argument
// is a document; "-h"/"--help" and "--version" are Tavo's options, Qt's
// options (with their values) go to Qt, and any other option is an error.
CommandLine ParseCommandLine(int argc, char **argv);

// Whether Qt has somewhere to show windows: DISPLAY, WAYLAND_DISPLAY or
// QT_QPA_PLATFORM is set, or the command line names a platform or display.
// Without, Qt would abort the program.
bool HasDisplay(const CommandLine &line);

// The one line that says there is none, and the way out.
QString NoDisplayMessage();

// The text of `tavo --help`; its first line is the one-line usage.
QString CommandLineUsage();
