// SPDX-License-Identifier: MIT
#pragma once

#include "platform/DesktopEntryFile.h"

#include <QString>
#include <QStringList>

// What a desktop entry's command line does with a document. Most entries
// say where the files go with a field code (%f, %F, %u, %U). A Wine menu
// entry has none (`env WINEPREFIX="<prefix>" wine <program or .lnk>`), and
// GIO would drop the document; its program is given the document's Windows
// name after the other arguments instead (WineNames.h).
struct EntryCommand {
    // The Exec line split into arguments as GIO splits it, field codes kept.
    QStringList arguments;
    bool takesFiles = false;
    // The program that really runs: the first argument, or for `env` the
    // first one after its options and assignments.
    QString program;
    // For a Wine program, the prefix it runs in; absent otherwise.
    QString winePrefix;
};

EntryCommand ParseEntryCommand(const QString &exec);

// The absolute path of an executable program: `program` itself when it has
// a folder, else the first one of that name on PATH; absent when none.
QString FindProgram(const QString &program);

enum class EntryProblem {
    None,
    Unreadable,
    NotApplication,
    NoCommand,
    ProgramMissing,
    TakesNoDocument,
};

struct EntryCheck {
    EntryProblem problem = EntryProblem::None;
    // For ProgramMissing: the program that is not there.
    QString missingProgram;
    EntryCommand command;
    // The document goes to a Wine menu entry's program as its Windows name.
    bool wineMenu = false;
};

// Whether documents can be opened with the entry, and how.
EntryCheck CheckDesktopEntry(const DesktopEntryKeys &keys);
