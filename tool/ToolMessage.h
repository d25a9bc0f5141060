// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

// Writes "tavo-identify: SUBJECT: REASON" as one line on standard error. The
// subject, often a file name, is written as the text output writes names
// (see OctalEscaped), so a name with a line feed cannot split the line.
void ToolMessage(const QByteArray &subject, const QByteArray &reason);
