// SPDX-License-Identifier: MIT
#include "platform/DesktopEntryFile.h"

#include "platform/FileName.h"

#include <QByteArrayView>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Most entries hold their Name in the first lines; the rest of a file, with
// its dozens of translations, is read only for an entry that is wanted.
constexpr qsizetype kFirstChunk = 4096;
// Anything larger is no desktop entry a desk installs.
constexpr qsizetype kLargestEntry = 1 << 20;

QByteArrayView Trimmed(QByteArrayView text) {
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text = text.sliced(1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.chop(1);
    return text;
}

// The escapes of a value of type string: \s \n \t \r and \\. Without
// any, the value's own bytes, which must not outlive them.
QByteArray UnescapedBytes(QByteArrayView value) {
    if (!value.contains('\\'))
        return QByteArray::fromRawData(value.data(), value.size());
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const char next = value[++i];
        switch (next) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\';
            out += next;
        }
    }
    return out;
}

QString Unescaped(QByteArrayView value) {
    return QString::fromUtf8(UnescapedBytes(value));
}

bool BooleanValue(QByteArrayView value) {
    return value == "true" || value == "1";
}

enum class Outcome { Complete, NotWanted, NeedsMore };

// Parses the complete lines of `data`; `whole` says whether the file ends
// there. Answers whether the keys are known, the entry is not wanted, or
// more of the file is needed.
Outcome Parse(QByteArrayView data, bool whole, const QSet<QByteArray> *wantedNames,
              DesktopEntryKeys *keys) {
    bool inGroup = false;
    bool groupEnded = false;
    bool nameSeen = false;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0) {
            if (!whole)
                return Outcome::NeedsMore;
            end = data.size();
        }
        const QByteArrayView line = Trimmed(data.sliced(start, end - start));
        start = end + 1;
        if (line.isEmpty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (inGroup) {
                groupEnded = true; // the entry's own keys are all read
                break;
            }
            if (line != "[Desktop Entry]")
                return Outcome::Complete;
            inGroup = true;
            keys->valid = true;
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inGroup || equals < 0) {
            keys->valid = false;
            return Outcome::Complete;
        }
        const QByteArrayView key = Trimmed(line.first(equals));
        const QByteArrayView value = Trimmed(line.sliced(equals + 1));
        if (key == "Name" && !nameSeen) {
            nameSeen = true;
            const QByteArray name = UnescapedBytes(value);
            if (wantedNames && !wantedNames->contains(name))
                return Outcome::NotWanted;
            keys->name = QString::fromUtf8(name);
        } else if (key == "Type") {
            keys->type = Unescaped(value);
        } else if (key == "Exec") {
            keys->exec = Unescaped(value);
        } else if (key == "TryExec") {
            keys->tryExec = Unescaped(value);
        } else if (key == "Hidden") {
            keys->hidden = BooleanValue(value);
        }
    }
    if (!whole && !groupEnded && keys->valid)
        return Outcome::NeedsMore;
    return Outcome::Complete;
}

// One read of up to `limit` bytes more onto `data`; answers how many came,
// 0 at the file's end, -1 on an error.
qsizetype ReadMore(int fd, QByteArray *data, qsizetype limit) {
    const qsizetype old = data->size();
    data->resize(old + limit);
    ssize_t n;
    do
        n = ::read(fd, data->data() + old, size_t(limit));
    while (n < 0 && errno == EINTR);
    data->resize(old + std::max<qsizetype>(n, 0));
    return n;
}

} // namespace

std::optional<DesktopEntryKeys> ReadDesktopEntry(int folderFd, const QByteArray &fileName,
                                                 const QSet<QByteArray> *wantedNames) {
    const int fd = ::openat(folderFd, fileName.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return DesktopEntryKeys();
    // Each read asks for as much again as is there, which keeps parsing from
    // the start each time cheap. Only a read that brings nothing is the end:
    // a short one is not, on every file system (FUSE).
    QByteArray data;
    DesktopEntryKeys keys;
    Outcome outcome = Outcome::NeedsMore;
    bool readOk = true;
    for (qsizetype chunk = kFirstChunk; outcome == Outcome::NeedsMore; chunk = data.size()) {
        const qsizetype n = ReadMore(fd, &data, chunk);
        readOk = n >= 0 && data.size() < kLargestEntry;
        if (!readOk)
            break;
        keys = DesktopEntryKeys();
        outcome = Parse(data, n == 0, wantedNames, &keys);
    }
    ::close(fd);
    if (!readOk)
        return DesktopEntryKeys();
    if (outcome == Outcome::NotWanted)
        return std::nullopt;
    return keys;
}

DesktopEntryKeys ReadDesktopEntryFile(const QString &path) {
    return ReadDesktopEntry(AT_FDCWD, EncodeFileName(path)).value_or(DesktopEntryKeys());
}
