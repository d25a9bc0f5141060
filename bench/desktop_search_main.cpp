// SPDX-License-Identifier: MIT
// What the search for desktop entries at start costs on a desk with many
// entries: processor time of one search for the 32 versions Tavo knows (a
// first start, when none has a location), median of many runs, warm caches.
//   desktop-search-bench [ENTRIES] [RUNS]    writes a desk and measures
//   desktop-search-bench --write DIR ENTRIES  only writes the desk into DIR
// The desk is what a real one has: most entries system applications with
// dozens of translations, a tenth of them with their Name far down, Wine
// menus in nested folders, two system entries named like a version.
#include "platform/DesktopEntrySearch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

const QStringList kVersions = [] {
    QStringList keys;
    for (const char *version :
         {"3", "4", "5", "6", "7", "8", "9", "10", "2015", "2016", "2017", "2018", "2019"})
        keys << QStringLiteral("QuarkXPress %1").arg(QLatin1String(version));
    for (const char *version :
         {"CS2", "CS3", "CS4", "CS5", "CS5.5", "CS6", "CC", "CC 2014", "CC 2015", "CC 2017",
          "CC 2018", "CC 2019", "2020", "2021", "2022", "2023", "2024", "2025", "2026"})
        keys << QStringLiteral("Adobe InDesign %1").arg(QLatin1String(version));
    return keys;
}();

bool Write(const QString &path, const QByteArray &text) {
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QByteArray Translations(const char *key, int count) {
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += QByteArray(key) + "[l" + QByteArray::number(i) + "]=Translated text number " +
                 QByteArray::number(i) + " of this application\n";
    return lines;
}

// Three in five entries are the system's, one in five Wine menus, the rest
// Bottles and launchers; two of them are named like a version.
bool WriteDesk(const QString &folder, int entries) {
    for (int i = 0; i < entries; ++i) {
        const QByteArray n = QByteArray::number(i);
        QByteArray name = "Application " + n;
        if (i == entries / 15 * 5)
            name = "QuarkXPress 2016";
        else if (i == entries / 15 * 10)
            name = "Adobe InDesign 2024";
        QString path;
        QByteArray body = "[Desktop Entry]\nType=Application\n";
        if (i % 5 < 3) {
            path = folder + QStringLiteral("/sys/applications/org.example.App%1.desktop").arg(i);
            const bool late = i % 10 == 0;
            body += late ? Translations("GenericName", 60) + "Name=" + name + "\n"
                         : "Name=" + name + "\n" + Translations("GenericName", 60);
            body += Translations("Comment", 60) + "Exec=true %U\nIcon=app" + n +
                    "\nCategories=Utility;\nMimeType=text/plain;\n" + Translations("Keywords", 40);
        } else if (i % 5 == 3) {
            path =
                folder + QStringLiteral("/home/applications/wine/Programs/Vendor %1/App %2.desktop")
                             .arg(i % 7)
                             .arg(i);
            body += "Name=" + name + "\nExec=env WINEPREFIX=\"/home/u/.wine\" wine " +
                    "C:\\\\\\\\users\\\\\\\\Public\\\\\\\\App\\\\ " + n + ".lnk\n" +
                    "Path=/home/u/.wine/dosdevices/c:/Program Files/App " + n +
                    "\nIcon=1A2B_app.0\nStartupWMClass=app.exe\n";
        } else {
            path = folder + QStringLiteral("/home/applications/app-%1.desktop").arg(i);
            body += "Name=" + name + "\nExec=true run -p \"App " + n + "\" -b Bottle -- %u\n";
        }
        if (!Write(path, body))
            return false;
    }
    return true;
}

double ProcessorMs() {
    timespec t;
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--write"))
        return WriteDesk(args.value(2), args.value(3).toInt()) ? 0 : 1;
    const int entries = args.size() > 1 ? args[1].toInt() : 500;
    const int runs = args.size() > 2 ? args[2].toInt() : 200;
    QTemporaryDir desk;
    if (!WriteDesk(desk.path(), entries))
        return 1;
    qputenv("XDG_DATA_HOME", QFile::encodeName(desk.filePath(QStringLiteral("home"))));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(desk.filePath(QStringLiteral("sys"))));
    std::vector<double> times;
    qsizetype found = 0;
    for (int i = 0; i <= runs; ++i) {
        const double start = ProcessorMs();
        found = FindDesktopEntriesByName(kVersions).size();
        if (i > 0) // the first run fills the caches
            times.push_back(ProcessorMs() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("%d entries, %d runs: median %.2f ms of processor time (min %.2f, max %.2f), "
                "%lld found\n",
                entries, runs, times[times.size() / 2], times.front(), times.back(),
                static_cast<long long>(found));
    const bool met = times[times.size() / 2] < 5.0;
    std::printf("goal (< 5 ms): %s\n", met ? "met" : "not met");
    return met ? 0 : 1;
}
