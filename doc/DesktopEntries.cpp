// SPDX-License-Identifier: MIT
#include "doc/DesktopEntries.h"

#include "platform/DesktopEntryCommand.h"
#include "platform/Format.h"
#include "strings/StringTable.h"
#include "toolkit/Paths.h"

bool IsDesktopEntryPath(const QString &path) {
    return path.endsWith(QLatin1String(".desktop"));
}

QString DesktopEntryRefusal(const QString &entryPath) {
    const DesktopEntryKeys keys = ReadDesktopEntryFile(entryPath);
    const EntryCheck check = CheckDesktopEntry(keys);
    const QString name = keys.name.isEmpty() ? LastPathComponent(entryPath) : keys.name;
    switch (check.problem) {
    case EntryProblem::None:
        return QString();
    case EntryProblem::Unreadable:
        return Format(GetString(QStringLiteral("entryUnreadable")), name);
    case EntryProblem::NotApplication:
        return Format(GetString(QStringLiteral("entryNotApplication")), name);
    case EntryProblem::NoCommand:
        return Format(GetString(QStringLiteral("entryNoCommand")), name);
    case EntryProblem::ProgramMissing:
        return Format(GetString(QStringLiteral("entryProgramMissing")), name, check.missingProgram);
    case EntryProblem::TakesNoDocument:
        return Format(GetString(QStringLiteral("entryTakesNoDocument")), name);
    }
    return QString();
}
