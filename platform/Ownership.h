// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

// Root running with another user's folders (sudo -E, su without -) must not
// follow that user's links, nor write into that user's folders: she could
// point them at any file of root's and have it replaced with text of her
// choosing. So a link is followed, and a folder written into, only when it
// belongs to the user Tavo runs as, or to root, who may change it anyway.

// Empty when what `info` describes (a link about to be followed, a folder
// about to be written into) may be used; otherwise why not, naming `shown`.
QString ForeignOwnerProblem(const struct stat &info, const QString &shown);

// The same for every link met on the way along `native` (a path in bytes),
// component by component; empty when none belongs to another user. The
// last component is included.
QString ForeignLinkOnPath(const QByteArray &native);
