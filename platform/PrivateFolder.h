// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A folder that only the effective user can change: a real folder (not a
// link), owned by that user, writable by no group and no other user. Sockets
// and locks placed in it cannot be planted or replaced by anyone else.

// Null when `folder` is such a folder; otherwise why it is not.
QString PrivateFolderProblem(const QString &folder);

// Creates `folder` with mode 0700 unless something exists there, then checks
// it as above: whatever already stood there must pass the same test.
QString MakePrivateFolder(const QString &folder);
