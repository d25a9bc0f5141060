// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

// Writes "tavo-identify: SUBJECT: REASON" as one line on standard error. The
// subject is written as its bytes, as other tools write file names.
void ToolMessage(const QByteArray &subject, const QByteArray &reason);
