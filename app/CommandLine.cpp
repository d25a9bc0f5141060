// SPDX-License-Identifier: MIT
#include "app/CommandLine.h"

#include "platform/FileName.h"

#include <QByteArray>

#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct QtOption {
    const char *name;
    bool takesValue;
};

// The options that QGuiApplication, QApplication and the window-system
// plugins read from the command line.
constexpr QtOption kQtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"display", true},
    {"geometry", true},
    {"name", true},
    {"title", true},
    {"visual", true},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
    {"cmap", false},
};

bool Exists(const char *argument) {
    struct stat st {};
    return ::lstat(argument, &st) == 0;
}

// The Qt option an argument names, or null; `inlineValue` tells whether it
// carries its value after "=".
const QtOption *QtOptionOf(const QByteArray &argument, bool *inlineValue) {
    QByteArray name = argument.mid(argument.startsWith("--") ? 2 : 1);
    const qsizetype equals = name.indexOf('=');
    *inlineValue = equals >= 0;
    if (equals >= 0)
        name.truncate(equals);
    for (const QtOption &option : kQtOptions) {
        if (name == option.name && (option.takesValue || !*inlineValue))
            return &option;
    }
    return nullptr;
}

// The absolute name of a document, which means the same file to the running
// Tavo and to the application it launches. Null, with the reason in `why`,
// where there is none: a relative name would mean another file there, and a
// name longer than the system's limit can be opened by no program.
QString AbsoluteDocument(const QByteArray &argument, QString *why) {
    const QString tooLong =
        QStringLiteral("its absolute name would be longer than the %1 bytes a file name may have")
            .arg(PATH_MAX - 1);
    QByteArray path = argument;
    if (!argument.startsWith('/')) {
        char folder[PATH_MAX];
        if (!::getcwd(folder, sizeof folder)) {
            *why = errno == ERANGE
                       ? tooLong
                       : QStringLiteral("the folder Tavo was started in cannot be named (%1)")
                             .arg(QString::fromLocal8Bit(std::strerror(errno)));
            return QString();
        }
        path = folder;
        if (!path.endsWith('/'))
            path += '/';
        path += argument;
    }
    if (path.size() >= PATH_MAX) {
        *why = tooLong;
        return QString();
    }
    return DecodeFileName(path);
}

} // namespace

CommandLine ParseCommandLine(int argc, char **argv) {
    CommandLine line;
    if (argc > 0)
        line.qtArguments.push_back(argv[0]);
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        const bool looksLikeOption = argument.size() > 1 && argument.startsWith('-');
        if (optionsEnded || !looksLikeOption || Exists(argv[i])) {
            QString why;
            const QString document = AbsoluteDocument(argument, &why);
            if (document.isNull())
                line.refused << DecodeFileName(argument) + QLatin1String(": not opened: ") + why;
            else
                line.documents << document;
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "-h" || argument == "--help") {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (argument == "--version") {
            line.action = CommandLine::Action::Version;
            return line;
        } else {
            bool inlineValue = false;
            const QtOption *option = QtOptionOf(argument, &inlineValue);
            if (!option || (option->takesValue && !inlineValue && i + 1 >= argc)) {
                line.action = CommandLine::Action::UsageError;
                line.error = option ? QStringLiteral("option '%1' needs a value")
                                          .arg(QString::fromLocal8Bit(argument))
                                    : QStringLiteral("unknown option '%1'")
                                          .arg(QString::fromLocal8Bit(argument));
                return line;
            }
            line.qtArguments.push_back(argv[i]);
            line.namesDisplay = line.namesDisplay || qstrcmp(option->name, "platform") == 0 ||
                                qstrcmp(option->name, "display") == 0;
            if (option->takesValue && !inlineValue)
                line.qtArguments.push_back(argv[++i]);
        }
    }
    line.qtArguments.push_back(nullptr);
    return line;
}

bool HasDisplay(const CommandLine &line) {
    return line.namesDisplay || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

QString NoDisplayMessage() {
    return QStringLiteral("tavo: no display to show a window on (neither DISPLAY nor "
                          "WAYLAND_DISPLAY is set); start it in a desktop session, or on a "
                          "virtual display with xvfb-run tavo");
}

QString CommandLineUsage() {
    return QStringLiteral(
        "Usage: tavo [-h|--help] [--version] [--] [DOCUMENT]...\n"
        "\n"
        "Opens each QuarkXPress or Adobe InDesign document in the version of the\n"
        "application that made it. While Tavo runs, a second tavo hands its\n"
        "documents to the running one and exits.\n"
        "\n"
        "  -h, --help   show this help and exit\n"
        "  --version    show the version and exit\n"
        "  --           end of options: every argument after it is a document\n"
        "\n"
        "An argument that names an existing file is always a document. Qt's own\n"
        "options (such as -style NAME or -platform NAME) are passed to Qt.\n");
}
