// SPDX-License-Identifier: MIT
#include "tool/ToolMessage.h"

#include "tool/NameEscapes.h"

#include <cstdio>

void ToolMessage(const QByteArray &subject, const QByteArray &reason) {
    const QByteArray line = "tavo-identify: " + OctalEscaped(subject) + ": " + reason + '\n';
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
}
