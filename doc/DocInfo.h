// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FourCharCode.h"

#include <QString>

#include <array>

inline constexpr quint32 kInDesignCreator = FourCharCode("InDn");
inline constexpr quint32 kQuarkCreator = FourCharCode("XPR3");
inline constexpr std::size_t kDocHeaderSize = 512;

// What identification found out about one file. Recognised exactly when
// `version` is not 0; everything else is zero or absent until set.
struct DocInfo {
    std::array<unsigned char, kDocHeaderSize> header{};
    quint32 creator = 0;
    qint32 version = 0;
    QString versionName;
    QString os;
    QString ext;
    QString appName;
    QString type;

    bool recognised() const { return version != 0; }
};
