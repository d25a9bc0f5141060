// tavo-identify: tells, for each file, which layout application and version
// wrote it, as one JSON object per line.

#include "app/IdentifyJson.h"
#include "doc/IdentifyDocument.h"
#include "toolkit/Resources.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

namespace {

constexpr char kUsage[] =
    "Usage: tavo-identify FILE...\n"
    "       tavo-identify -          (read the paths from standard input, one per line)\n"
    "\n"
    "Identifies Adobe InDesign and QuarkXPress documents by their first 512 bytes\n"
    "and prints one JSON object per file, one per line, in the order given, with\n"
    "the members path, recognised, creator, version, versionName, os, ext,\n"
    "appName and type (null when absent).\n"
    "\n"
    "Exit status: 0 when every file was recognised, 1 when any was not,\n"
    "2 for a usage error. Use -- before paths that begin with a hyphen.\n";

class Identifier {
public:
    explicit Identifier(std::FILE *out) : mOut(out) {}

    void identify(const QString &path) {
        const DocInfo info = IdentifyDocument(path);
        if (!info.recognised())
            mAllRecognised = false;
        const QByteArray line = IdentifyJsonLine(path, info);
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), mOut);
    }

    void identifyLines(std::istream &in) {
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (!line.empty())
                identify(QFile::decodeName(QByteArray::fromStdString(line)));
        }
    }

    bool allRecognised() const { return mAllRecognised; }

private:
    std::FILE *mOut;
    bool mAllRecognised = true;
};

} // namespace

int main(int argc, char *argv[]) {
    if (argc < 2) {
        std::fputs("tavo-identify: no files given (try tavo-identify --help)\n", stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    QCoreApplication app(argc, argv);
    gBundle = Bundle::mainBundle();

    static char buffer[1 << 16];
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    std::ios::sync_with_stdio(false);

    Identifier identifier(stdout);
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (!optionsEnded && std::strcmp(arg, "--") == 0)
            optionsEnded = true;
        else if (!optionsEnded && std::strcmp(arg, "-") == 0)
            identifier.identifyLines(std::cin);
        else
            identifier.identify(QFile::decodeName(arg));
    }
    std::fflush(stdout);
    return identifier.allRecognised() ? 0 : 1;
}
