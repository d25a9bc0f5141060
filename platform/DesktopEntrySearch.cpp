// SPDX-License-Identifier: MIT
#include "platform/DesktopEntrySearch.h"

#include "platform/DesktopEntryCommand.h"
#include "platform/DesktopEntryFile.h"
#include "platform/FileName.h"

#include <QSet>
#include <QStandardPaths>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Folders linked into one another must not keep the walk going forever.
constexpr int kDeepestFolder = 8;

class Search {
public:
    explicit Search(const QStringList &names) {
        for (const QString &name : names)
            mWanted.insert(name.toUtf8());
    }

    void walk(int folderFd, const QByteArray &folderPath, const QByteArray &idPrefix, int depth) {
        DIR *folder = ::fdopendir(folderFd);
        if (!folder) {
            ::close(folderFd);
            return;
        }
        struct Item {
            QByteArray name;
            bool isFolder;
        };
        QList<Item> items;
        while (const dirent *item = ::readdir(folder)) {
            const QByteArray name(item->d_name);
            if (name.startsWith('.'))
                continue;
            bool isFolder = item->d_type == DT_DIR;
            if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
                struct stat info;
                isFolder = ::fstatat(::dirfd(folder), item->d_name, &info, 0) == 0 &&
                           S_ISDIR(info.st_mode);
            }
            if (isFolder || name.endsWith(".desktop"))
                items.append({name, isFolder});
        }
        // The order of a folder's listing is the file system's; sorted, the
        // same desk finds the same entries every time.
        std::sort(items.begin(), items.end(),
                  [](const Item &a, const Item &b) { return a.name < b.name; });
        for (const Item &item : items) {
            if (mFound.size() == mWanted.size())
                break;
            if (item.isFolder) {
                const int child = ::openat(::dirfd(folder), item.name.constData(),
                                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                if (child >= 0 && depth < kDeepestFolder)
                    walk(child, folderPath + item.name + '/', idPrefix + item.name + '-',
                         depth + 1);
                else if (child >= 0)
                    ::close(child);
                continue;
            }
            const QByteArray id = idPrefix + item.name;
            if (mSeenIds.contains(id))
                continue;
            mSeenIds.insert(id);
            const auto keys = ReadDesktopEntry(::dirfd(folder), item.name, &mWanted);
            if (!keys || !keys->valid || keys->hidden || mFound.contains(keys->name) ||
                !mWanted.contains(keys->name.toUtf8()))
                continue;
            if (CheckDesktopEntry(*keys).problem == EntryProblem::None)
                mFound.insert(keys->name, DecodeFileName(folderPath + item.name));
        }
        ::closedir(folder);
    }

    QHash<QString, QString> found() const { return mFound; }
    bool done() const { return mFound.size() == mWanted.size(); }

private:
    QSet<QByteArray> mWanted;
    QSet<QByteArray> mSeenIds;
    QHash<QString, QString> mFound;
};

} // namespace

QHash<QString, QString> FindDesktopEntriesByName(const QStringList &names) {
    Search search(names);
    if (names.isEmpty())
        return {};
    for (const QString &dataFolder :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QByteArray applications = EncodeFileName(dataFolder) + "/applications/";
        const int fd = ::open(applications.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0)
            search.walk(fd, applications, QByteArray(), 0);
        if (search.done())
            break;
    }
    return search.found();
}
