// SPDX-License-Identifier: MIT
// Feeds every file named on the command line, or found in a folder named
// there, to the fuzz target once: the corpus replay that runs with the tests,
// where libFuzzer's own driver is not linked. A folder that does not exist is
// skipped, so a target without saved findings needs no empty folder.

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv) {
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QFile::decodeName(argv[i]);
        if (QFileInfo(arg).isDir()) {
            QStringList found;
            QDirIterator it(arg, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext())
                found << it.next();
            found.sort();
            files << found;
        } else if (QFileInfo::exists(arg)) {
            files << arg;
        }
    }
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        std::fprintf(stderr, "%s\n", qPrintable(path));
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()),
                               static_cast<size_t>(bytes.size()));
    }
    std::fprintf(stderr, "replayed %lld inputs\n", static_cast<long long>(files.size()));
    return 0;
}
