#include "platform/DesktopEntry.h"

#include "platform/KeyFile.h"

#include <QFileInfo>
#include <QUrl>

namespace {

const QString kGroup = QStringLiteral("Desktop Entry");

// Splits an Exec value (escapes of the string type already resolved) into
// arguments: blanks separate them, double quotes group them, and inside quotes
// a backslash escapes the next character.
QStringList SplitExec(const QString &exec) {
    QStringList args;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('"'))
                quoted = false;
            else if (c == QLatin1Char('\\') && i + 1 < exec.size())
                current += exec[++i];
            else
                current += c;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inArgument = true;
        } else if (c.isSpace()) {
            if (inArgument)
                args.append(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        args.append(current);
    return args;
}

QString FileUrl(const QString &path) {
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

} // namespace

std::optional<DesktopEntry> DesktopEntry::load(const QString &path) {
    const KeyFile file = KeyFile::read(path);
    if (!file.hasGroup(kGroup))
        return std::nullopt;
    DesktopEntry entry;
    entry.mPath = QFileInfo(path).absoluteFilePath();
    entry.mType = file.string(kGroup, QStringLiteral("Type"));
    entry.mName = file.string(kGroup, QStringLiteral("Name"));
    entry.mIcon = file.string(kGroup, QStringLiteral("Icon"));
    entry.mExec = file.string(kGroup, QStringLiteral("Exec"));
    entry.mWorkingFolder = file.string(kGroup, QStringLiteral("Path"));
    entry.mMimeTypes = file.list(kGroup, QStringLiteral("MimeType"));
    entry.mHidden = file.boolean(kGroup, QStringLiteral("Hidden"));
    entry.mTerminal = file.boolean(kGroup, QStringLiteral("Terminal"));
    return entry;
}

bool DesktopEntry::isLaunchable() const {
    return !mHidden && !mExec.trimmed().isEmpty() &&
           (mType.isEmpty() || mType == QLatin1String("Application"));
}

QStringList DesktopEntry::command(const QStringList &files) const {
    QStringList out;
    bool filesPlaced = false;
    const QString first = files.value(0);
    for (const QString &arg : SplitExec(mExec)) {
        // Codes that stand alone may expand to several arguments or to none.
        if (arg == QLatin1String("%F") || arg == QLatin1String("%U")) {
            for (const QString &file : files)
                out.append(arg == QLatin1String("%F") ? file : FileUrl(file));
            filesPlaced = true;
            continue;
        }
        if ((arg == QLatin1String("%f") || arg == QLatin1String("%u")) && files.isEmpty()) {
            filesPlaced = true;
            continue;
        }
        if (arg == QLatin1String("%i")) {
            if (!mIcon.isEmpty())
                out << QStringLiteral("--icon") << mIcon;
            continue;
        }
        QString expanded;
        for (qsizetype i = 0; i < arg.size(); ++i) {
            if (arg[i] != QLatin1Char('%') || i + 1 == arg.size()) {
                expanded += arg[i];
                continue;
            }
            switch (arg[++i].unicode()) {
            case '%':
                expanded += QLatin1Char('%');
                break;
            case 'f':
            case 'F':
                expanded += first;
                filesPlaced = true;
                break;
            case 'u':
            case 'U':
                if (!first.isEmpty())
                    expanded += FileUrl(first);
                filesPlaced = true;
                break;
            case 'c':
                expanded += mName;
                break;
            case 'k':
                expanded += mPath;
                break;
            default:
                // Deprecated and unknown codes are dropped.
                break;
            }
        }
        out.append(expanded);
    }
    if (!out.isEmpty() && !filesPlaced)
        out.append(files);
    return out;
}
