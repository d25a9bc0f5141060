// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>

#include <utility>

// Variables set for a launched program on top of those it inherits from
// Tavo: name and value, as bytes, so that file names that are not UTF-8
// pass unchanged.
using LaunchEnvironment = QList<std::pair<QByteArray, QByteArray>>;
