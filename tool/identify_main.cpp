// SPDX-License-Identifier: MIT
// tavo-identify: tells, for each file, which layout application and version
// wrote it, as one JSON object (or one readable line) per file.

#include "doc/DocTypes.h"
#include "platform/AppIdentity.h"
#include "platform/FileHead.h"
#include "tool/IdentifyOptions.h"
#include "tool/IdentifyRunner.h"
#include "tool/ToolMessage.h"
#include "toolkit/Resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace {

constexpr char kToolName[] = "tavo-identify";

constexpr char kUsage[] = "usage: tavo-identify [-0rL] [-j N] [--format json|text|tsv] "
                          "[--exclude GLOB]... [--summary] [--] FILE... | -";

constexpr char kDamagedDocTypes[] =
    "the document-type table is missing or damaged, so no QuarkXPress document "
    "can be recognised; install Tavo again";

constexpr char kHelp[] =
    "Usage: tavo-identify [OPTION]... [--] FILE...\n"
    "Identifies Adobe InDesign and QuarkXPress documents by their first 512 bytes\n"
    "and prints one line per file, in the order given.\n"
    "\n"
    "  -                  read the paths from standard input, one per line\n"
    "  -0, --null         paths on standard input end with NUL (find -print0);\n"
    "                     with no FILE, standard input is read\n"
    "  -r, --recursive    identify the files below every folder given, each\n"
    "                     folder's entries in the order of their bytes\n"
    "  -L, --follow       with -r, also enter symbolic links to folders\n"
    "  -j, --jobs N       read up to N files at a time, 1 to %2 (default %1)\n"
    "      --exclude GLOB leave out the files and folders whose name matches GLOB\n"
    "                     (repeatable; for example '._*' and .DS_Store)\n"
    "      --format FMT   json (default): one JSON object per line, with the\n"
    "                     members path, recognised, creator, version, versionName,\n"
    "                     os, ext, appName and type (null when absent); pathBytes\n"
    "                     (base64) after path when the name is not UTF-8;\n"
    "                     extMismatch when the name's extension does not fit the\n"
    "                     document; error when the file could not be read\n"
    "                     text: one line per file, as file(1) writes them\n"
    "                     tsv: a header row, then one row per file, for spreadsheets\n"
    "      --summary      after the files, count them per application version\n"
    "  -h, --help         show this help\n"
    "      --version      show the version\n"
    "  --                 end of options: every later argument is a file\n"
    "\n"
    "Exit status: 0 when every file was recognised, 1 when some were not but all\n"
    "were read, 2 for a usage error or when a file, standard input or the output\n"
    "could not be read or written.\n";

// A closed standard stream would be handed out again by the first open(): a
// document would then be read as the list of paths, or written over by the
// output. One end of a pipe keeps the place taken: standard input gets a
// writing end and the outputs a reading end, so that every read or write of
// them still fails as on a closed stream.
void HoldClosedStandardStreams() {
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        int ends[2];
        if (::pipe(ends) != 0)
            return;
        const int held = fd == 0 ? ends[1] : ends[0];
        if (held != fd)
            ::dup2(held, fd);
        for (const int end : ends) {
            if (end != fd)
                ::close(end);
        }
    }
}

// The resources beside the program, found without a QCoreApplication where
// /proc allows: making one costs more than identifying a hundred files.
Bundle ProgramBundle(int argc, char *argv[]) {
    const QString program = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    if (!program.isEmpty())
        return Bundle(
            QDir::cleanPath(QFileInfo(program).absolutePath() + QStringLiteral("/../share/tavo")));
    QCoreApplication app(argc, argv);
    return Bundle::mainBundle();
}

int Print(const QByteArray &text) {
    errno = 0;
    if (std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout) ==
            static_cast<std::size_t>(text.size()) &&
        std::fflush(stdout) == 0)
        return 0;
    ToolMessage("standard output", FileHeadErrorText(errno ? errno : EIO));
    return 2;
}

} // namespace

int main(int argc, char *argv[]) {
    HoldClosedStandardStreams();
    const IdentifyOptions options = ParseIdentifyOptions(argc, argv);
    switch (options.action) {
    case IdentifyOptions::Action::Help:
        return Print(QByteArray(kHelp)
                         .replace("%1", QByteArray::number(IdentifyOptions::kDefaultJobs))
                         .replace("%2", QByteArray::number(IdentifyOptions::kMaxJobs)) +
                     "\nPart of " + kAppName + ' ' + kAppVersion + ".\n");
    case IdentifyOptions::Action::Version:
        return Print(QByteArray(kToolName) + ' ' + kAppVersion + '\n');
    case IdentifyOptions::Action::UsageError:
        std::fprintf(stderr, "%s: %s (%s)\n", kToolName, options.problem.constData(), kUsage);
        return 2;
    case IdentifyOptions::Action::Identify:
        break;
    }

    gBundle = ProgramBundle(argc, argv);
    // Loaded here, once, before any thread reads a file: the table is loaded
    // lazily and that is not safe from several threads.
    const QVariant &docTypes = DocTypes();
    if (!docTypes.isValid()) {
        ToolMessage(QFile::encodeName(DocTypesPath()), kDamagedDocTypes);
        return 2;
    }

    // Full buffering for pipes and files; a terminal keeps its lines.
    static char buffer[1 << 16];
    if (!::isatty(STDOUT_FILENO))
        std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    try {
        return RunIdentify(options, docTypes, STDIN_FILENO);
    } catch (const std::bad_alloc &) {
        // What was identified so far is kept, and the cut is said.
        std::fflush(stdout);
        ToolMessage("stopped", FileHeadErrorText(ENOMEM));
        return 2;
    }
}
