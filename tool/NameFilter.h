// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>

// The names --exclude leaves out: fnmatch(3) patterns matched against the
// last component of a name, byte for byte, "*" and "?" matching a leading
// dot too (so "._*" takes the AppleDouble files a Mac leaves). "." and ".."
// say where a walk starts, not which file, and are never left out.
class NameFilter {
public:
    explicit NameFilter(const QList<QByteArray> &patterns) : mPatterns(patterns) {}

    bool excludes(const QByteArray &name) const;

private:
    QList<QByteArray> mPatterns;
};
