// SPDX-License-Identifier: MIT
#include "tool/FolderWalk.h"

#include "platform/FileHead.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FolderWalk::FolderWalk(const QByteArray &root, bool follow, const NameFilter &filter)
    : mFollow(follow), mFilter(filter) {
    Entry entry;
    if (!enter(root, true, entry)) {
        mPending = entry;
        mHasPending = true;
    }
}

QByteArray FolderWalk::childPath(const Level &level, const QByteArray &name) const {
    QByteArray path = level.path;
    if (!path.endsWith('/'))
        path += '/';
    return path + name;
}

bool FolderWalk::enter(const QByteArray &path, bool followLink, Entry &entry) {
    entry = {path, 0};
    // A folder that turned into a link since its parent was listed must not
    // be entered unless links are followed.
    const int noFollow = followLink ? 0 : O_NOFOLLOW;
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | noFollow);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        entry.error = errno;
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    for (const Level &level : mLevels) {
        if (level.device == st.st_dev && level.inode == st.st_ino) {
            ::close(fd);
            entry.error = ELOOP;
            return false;
        }
    }
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        entry.error = errno;
        ::close(fd);
        return false;
    }
    Level level{path, st.st_dev, st.st_ino, {}, 0};
    errno = 0;
    while (const dirent *d = ::readdir(dir)) {
        const QByteArray name(d->d_name);
        if (name != "." && name != ".." && !mFilter.excludes(name))
            level.names.push_back({name, d->d_type});
        errno = 0;
    }
    const int listError = errno;
    ::closedir(dir);
    std::sort(level.names.begin(), level.names.end(),
              [](const Name &a, const Name &b) { return a.bytes < b.bytes; });
    mLevels.push_back(std::move(level));
    // A listing cut short is still walked as far as it goes, after the
    // folder is reported.
    if (listError) {
        entry.error = listError;
        return false;
    }
    return true;
}

bool FolderWalk::next(Entry &entry) {
    if (mHasPending) {
        mHasPending = false;
        entry = mPending;
        return true;
    }
    while (!mLevels.empty()) {
        Level &level = mLevels.back();
        if (level.at == level.names.size()) {
            mLevels.pop_back();
            continue;
        }
        const Name &name = level.names[level.at++];
        const QByteArray path = childPath(level, name.bytes);
        unsigned char type = name.type;
        bool isLink = false;
        struct stat st {};
        if (type == DT_UNKNOWN || type == DT_LNK) {
            if (::lstat(path.constData(), &st) != 0) {
                entry = {path, errno};
                return true;
            }
            isLink = S_ISLNK(st.st_mode);
            // A link that leads nowhere is given as a file, so the reader
            // says why it cannot be opened.
            if (isLink && ::stat(path.constData(), &st) != 0) {
                entry = {path, 0};
                return true;
            }
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
            if (isLink && !mFollow)
                continue;
            if (enter(path, isLink, entry))
                continue;
            return true;
        }
        entry = {path, type == DT_REG ? 0 : kNotRegularFile};
        return true;
    }
    return false;
}
