// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Gives the file at `from` the name `to` unless something already bears that
// name, even something made meanwhile: no other file is ever replaced, and
// the file ends with exactly one of its two names, on any file system.
//
// Local file systems refuse an existing name in the rename itself. Shares
// (NFS, SMB, FUSE) do not know that rename; there a hard link takes the new
// name, which a link never replaces either, and the old name goes. Where the
// hard link is refused as well (a file system without hard links, a
// colleague's file that the kernel's protection of hard links keeps from
// being linked), the only rename left is one that may replace, so the file
// keeps its name.
// Names are encoded with EncodeFileName.

struct NameChange {
    // 0 when the file has its new name; otherwise the errno of the failure,
    // EEXIST when the name is taken, and the file has its old name.
    int error = 0;
    // Set when the file system renames only by replacing: why the hard link
    // that would have stood in was refused.
    int linkError = 0;
};

NameChange MoveWithoutReplacing(const QString &from, const QString &to);
