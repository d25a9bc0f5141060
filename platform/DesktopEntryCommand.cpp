// SPDX-License-Identifier: MIT
#include "platform/DesktopEntryCommand.h"

#include "platform/FileName.h"

#include <QDir>

#include <algorithm>
#include <unistd.h>

namespace {

// Splits as GIO does (g_shell_parse_argv): blanks separate, a backslash
// takes the next character, single quotes keep everything, double quotes
// keep all but \$ \` \" \\ and a line break after a backslash.
QStringList SplitArguments(const QString &line) {
    QStringList arguments;
    QString current;
    bool inWord = false;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = line[i];
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inWord)
                arguments.append(current);
            current.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'\\' && i + 1 < n) {
            if (line[++i] != u'\n')
                current += line[i];
        } else if (c == u'\'') {
            const qsizetype close = line.indexOf(u'\'', i + 1);
            const qsizetype end = close < 0 ? n : close;
            current += line.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == u'"') {
            for (++i; i < n && line[i] != u'"'; ++i) {
                if (line[i] == u'\\' && i + 1 < n &&
                    QStringView(u"$`\"\\\n").contains(line[i + 1])) {
                    if (line[++i] != u'\n')
                        current += line[i];
                } else {
                    current += line[i];
                }
            }
        } else {
            current += c;
        }
    }
    if (inWord)
        arguments.append(current);
    return arguments;
}

bool HasFileFieldCode(const QString &exec) {
    for (qsizetype i = 0; i + 1 < exec.size(); ++i) {
        if (exec[i] != u'%')
            continue;
        const QChar code = exec[++i];
        if (code == u'f' || code == u'F' || code == u'u' || code == u'U')
            return true;
    }
    return false;
}

QString BaseName(const QString &path) {
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// wine, wine64, and the names packages give them (wine-stable, wine64-staging).
bool IsWine(const QString &program) {
    const QString base = BaseName(program);
    QStringView name = base;
    if (!name.startsWith(u"wine"))
        return false;
    name = name.sliced(4);
    if (name.startsWith(u"64"))
        name = name.sliced(2);
    if (name.isEmpty())
        return true;
    if (!name.startsWith(u'-') || name.size() == 1)
        return false;
    return std::all_of(name.begin() + 1, name.end(),
                       [](QChar c) { return c >= u'a' && c <= u'z'; });
}

// The prefix a Wine program runs in: WINEPREFIX as the command sets it or as
// Tavo passes it on, a CrossOver bottle (`wine --bottle <name>`), or ~/.wine.
QString WinePrefix(const QStringList &arguments, qsizetype programIndex) {
    for (qsizetype i = 0; i < programIndex; ++i) {
        if (arguments[i].startsWith(QLatin1String("WINEPREFIX=")))
            return arguments[i].mid(11);
    }
    for (qsizetype i = programIndex + 1; i + 1 < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--bottle")) {
            const QString bottles = qEnvironmentVariableIsEmpty("CX_BOTTLE_PATH")
                                        ? QDir::homePath() + QStringLiteral("/.cxoffice")
                                        : qEnvironmentVariable("CX_BOTTLE_PATH");
            return bottles + u'/' + arguments[i + 1];
        }
    }
    if (!qEnvironmentVariableIsEmpty("WINEPREFIX"))
        return qEnvironmentVariable("WINEPREFIX");
    return QDir::homePath() + QStringLiteral("/.wine");
}

bool IsExecutableFile(const QString &path) {
    const QByteArray native = EncodeFileName(path);
    return !QFileInfo(path).isDir() && ::access(native.constData(), X_OK) == 0;
}

} // namespace

EntryCommand ParseEntryCommand(const QString &exec) {
    EntryCommand command;
    command.arguments = SplitArguments(exec);
    command.takesFiles = HasFileFieldCode(exec);
    qsizetype index = 0;
    if (!command.arguments.isEmpty() && BaseName(command.arguments[0]) == QLatin1String("env")) {
        for (index = 1; index < command.arguments.size(); ++index) {
            const QString &argument = command.arguments[index];
            if (!argument.contains(u'=') && !argument.startsWith(u'-'))
                break;
        }
    }
    command.program = command.arguments.value(index);
    if (!command.program.isEmpty() && IsWine(command.program))
        command.winePrefix = WinePrefix(command.arguments, index);
    return command;
}

QString FindProgram(const QString &program) {
    if (program.isEmpty())
        return QString();
    if (program.contains(u'/'))
        return IsExecutableFile(program) ? QFileInfo(program).absoluteFilePath() : QString();
    const QString path = qEnvironmentVariableIsSet("PATH")
                             ? qEnvironmentVariable("PATH")
                             : QStringLiteral("/usr/local/bin:/usr/bin:/bin");
    for (const QString &folder : path.split(u':', Qt::SkipEmptyParts)) {
        const QString candidate = folder + u'/' + program;
        if (IsExecutableFile(candidate))
            return candidate;
    }
    return QString();
}

EntryCheck CheckDesktopEntry(const DesktopEntryKeys &keys) {
    EntryCheck check;
    const auto fail = [&check](EntryProblem problem, const QString &program = QString()) {
        check.problem = problem;
        check.missingProgram = program;
        return check;
    };
    if (!keys.valid)
        return fail(EntryProblem::Unreadable);
    if (keys.type != QLatin1String("Application"))
        return fail(EntryProblem::NotApplication);
    check.command = ParseEntryCommand(keys.exec);
    const EntryCommand &command = check.command;
    if (command.program.isEmpty())
        return fail(EntryProblem::NoCommand);
    // GIO refuses an entry whose TryExec or first program is missing; behind
    // `env` the program that matters is the one it starts.
    for (const QString &program : {keys.tryExec, command.arguments[0], command.program}) {
        if (!program.isEmpty() && FindProgram(program).isNull())
            return fail(EntryProblem::ProgramMissing, program);
    }
    if (!command.takesFiles) {
        if (command.winePrefix.isNull())
            return fail(EntryProblem::TakesNoDocument);
        check.wineMenu = true;
    }
    return check;
}
