// SPDX-License-Identifier: MIT
#pragma once

#include "platform/LaunchEnvironment.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Starts `program` with `arguments`, byte for byte as given (QProcess would
// re-encode them and spoil names that are not UTF-8), detached from Tavo: in
// a session of its own, in `workingFolder`, with `input` as the whole of its
// standard input, and `environment` on top of Tavo's own. Neither waits for the program nor leaves
// a zombie behind. Answers an absent text once the program runs, else why it could not start.
QString StartDetached(const QByteArray &program, const QList<QByteArray> &arguments,
                      const QByteArray &workingFolder, const QByteArray &input,
                      const LaunchEnvironment &environment = {});
