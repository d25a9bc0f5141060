// SPDX-License-Identifier: MIT
#pragma once

#include "tool/NameFilter.h"

#include <QByteArray>

#include <sys/types.h>
#include <vector>

// Walks the tree below a folder depth first, giving the paths of the files
// in it one at a time: the entries of each folder sorted by their bytes, so
// the order is the same on every run and file system. Only one listing per
// level is held, never the tree.
//
// Symbolic links to folders are entered only when following; a folder that
// is its own ancestor (through a link, or a bind mount) is never entered
// again but given with ELOOP. Links to anything else are given as files,
// for the reader to follow; a folder that cannot be listed is given with
// the errno that stopped it, and a FIFO, device or socket with
// kNotRegularFile, without opening it. Names the filter excludes are left
// out, folders with all below them.
//
// glibc's fts(3) sorts and finds cycles too, but falls short of this walk:
// it drops an error of readdir() and gives a listing cut short as a whole
// one; it tells a FIFO from a file only by a stat() of every entry (with
// FTS_NOSTAT it leaves the type unknown), a system call per file that the
// directory entry's type saves; and without changing the working folder,
// which the reading threads rely on (FTS_NOCHDIR), it opens a folder by its
// path, entering a link that has taken the folder's place since it was seen.
class FolderWalk {
public:
    struct Entry {
        QByteArray path;
        int error = 0;
    };

    // `root` must name a folder (a link to one is followed).
    FolderWalk(const QByteArray &root, bool follow, const NameFilter &filter);

    // The next entry; false when the walk is done.
    bool next(Entry &entry);

private:
    struct Name {
        QByteArray bytes;
        unsigned char type;
    };
    struct Level {
        QByteArray path;
        dev_t device;
        ino_t inode;
        std::vector<Name> names;
        std::size_t at = 0;
    };

    // Enters a folder, or gives the reason why it cannot be entered.
    bool enter(const QByteArray &path, bool followLink, Entry &entry);
    QByteArray childPath(const Level &level, const QByteArray &name) const;

    bool mFollow;
    const NameFilter &mFilter;
    std::vector<Level> mLevels;
    Entry mPending; // an entry found while entering the root
    bool mHasPending = false;
};
