#include "platform/XmlPlistScan.h"

namespace {

// The position just past `marker`, searched from `from`; -1 when absent.
qsizetype After(const QByteArray &bytes, qsizetype from, const char *marker) {
    const qsizetype at = bytes.indexOf(marker, from);
    return at < 0 ? -1 : at + qsizetype(qstrlen(marker));
}

bool IsTagEnd(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '<' || c == '>';
}

} // namespace

bool XmlPlistNestsDeeperThan(const QByteArray &bytes, int maxDepth) {
    const qsizetype n = bytes.size();
    int depth = 0;
    qsizetype i = bytes.indexOf('<');
    while (i >= 0 && i + 1 < n) {
        const QByteArrayView rest = QByteArrayView(bytes).sliced(i + 1);
        qsizetype next = -1;
        if (rest.startsWith("?")) {
            next = After(bytes, i + 2, "?>");
        } else if (rest.startsWith("!--")) {
            next = After(bytes, i + 4, "-->");
        } else if (rest.startsWith("![CDATA[")) {
            next = After(bytes, i + 9, "]]>");
        } else if (rest.startsWith("!DOCTYPE")) {
            // An internal subset in brackets runs to "]>".
            qsizetype j = i + 9;
            while (j < n && bytes[j] != '[' && bytes[j] != '>')
                ++j;
            next = j < n && bytes[j] == '[' ? After(bytes, j, "]>") : (j < n ? j + 1 : -1);
        } else {
            qsizetype end = i + 1;
            while (end < n && !IsTagEnd(bytes[end]))
                ++end;
            const QByteArrayView name = QByteArrayView(bytes).sliced(i + 1, end - i - 1);
            const qsizetype close = bytes.indexOf('>', end);
            const bool empty = close > 0 && bytes[close - 1] == '/';
            if ((name == "array" || name == "dict") && !empty) {
                if (++depth > maxDepth)
                    return true;
            } else if ((name == "/array" || name == "/dict") && depth > 0) {
                --depth;
            }
            next = end;
        }
        if (next < 0)
            return false; // unterminated: libplist refuses it
        i = bytes.indexOf('<', next);
    }
    return false;
}
