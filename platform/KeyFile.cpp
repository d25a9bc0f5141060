#include "platform/KeyFile.h"

#include <QFile>

KeyFile KeyFile::read(const QString &path) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

KeyFile KeyFile::parse(const QByteArray &bytes) {
    KeyFile result;
    QString group;
    for (const QByteArray &raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            result.mGroups[group];
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        // Lines before the first group or without "=" are not entries.
        if (group.isNull() || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        // The first occurrence of a key counts, as in the desktop's own reader.
        auto &entries = result.mGroups[group];
        if (!entries.contains(key))
            entries.insert(key, line.mid(eq + 1).trimmed());
    }
    return result;
}

QString KeyFile::value(const QString &group, const QString &key) const {
    const auto g = mGroups.constFind(group);
    if (g == mGroups.constEnd())
        return {};
    return g->value(key);
}

namespace {

QString Unescape(const QString &raw, bool splitAtSemicolons, QStringList *items) {
    QString out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c == QLatin1Char('\\') && i + 1 < raw.size()) {
            const QChar n = raw[++i];
            switch (n.unicode()) {
            case 's':
                out += QLatin1Char(' ');
                break;
            case 'n':
                out += QLatin1Char('\n');
                break;
            case 't':
                out += QLatin1Char('\t');
                break;
            case 'r':
                out += QLatin1Char('\r');
                break;
            case '\\':
            case ';':
                out += n;
                break;
            default:
                // Not an escape of the format: kept, for the Exec quoting
                // rules that apply after this.
                out += QLatin1Char('\\');
                out += n;
                break;
            }
        } else if (splitAtSemicolons && c == QLatin1Char(';')) {
            items->append(out);
            out.clear();
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

QString KeyFile::string(const QString &group, const QString &key) const {
    const QString raw = value(group, key);
    if (raw.isNull())
        return {};
    return Unescape(raw, false, nullptr);
}

QStringList KeyFile::list(const QString &group, const QString &key) const {
    QStringList items;
    const QString last = Unescape(value(group, key), true, &items);
    if (!last.isEmpty())
        items.append(last);
    items.removeAll(QString());
    return items;
}

bool KeyFile::boolean(const QString &group, const QString &key) const {
    return value(group, key) == QLatin1String("true");
}
