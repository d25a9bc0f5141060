// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

struct InDesignVersion {
    QString type;
    QString versionName;
};

// InDesign 2021 to 2026 (major versions 16 to 21): their type codes are not
// known, so they are "????"; before they had names they were all "??".
inline constexpr int kFirstLaterInDesignVersion = 140;
inline constexpr int kLastLaterInDesignVersion = 190;

// Type code and version name of an InDesign version number; "????" and "??"
// for any number the table does not hold.
InDesignVersion InDesignVersionFor(int version);
