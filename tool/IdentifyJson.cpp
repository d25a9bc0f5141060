// SPDX-License-Identifier: MIT
#include "tool/IdentifyJson.h"

#include "platform/FileName.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

// The line is built in a std::string: its appends are inlined, where each
// of QByteArray's goes through insert(), and a line has some forty of them.
void AppendJsonUtf8(std::string &out, std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    std::size_t plain = 0; // start of the run of characters that need no escape
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto u = static_cast<unsigned char>(utf8[i]);
        if (u >= 0x20 && u != '"' && u != '\\')
            continue;
        out += utf8.substr(plain, i - plain);
        plain = i + 1;
        switch (u) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 0xF];
        }
    }
    out += utf8.substr(plain);
    out += '"';
}

void AppendJsonString(std::string &out, const QString &text) {
    if (text.isNull()) {
        out += "null";
    } else {
        const QByteArray utf8 = text.toUtf8();
        AppendJsonUtf8(out, {utf8.constData(), static_cast<std::size_t>(utf8.size())});
    }
}

std::string_view View(const QByteArray &bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// The name as valid UTF-8: each byte that the file-name codec carries as
// U+DC80..U+DCFF (a low surrogate without its high half) becomes U+FFFD.
QByteArray ShownName(const QString &decoded) {
    QString shown = decoded;
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const char16_t unit = shown[i].unicode();
        const bool paired = i > 0 && QChar::isHighSurrogate(decoded[i - 1].unicode());
        if (unit >= 0xDC80 && unit <= 0xDCFF && !paired)
            shown[i] = QChar::ReplacementCharacter;
    }
    return shown.toUtf8();
}

} // namespace

QByteArray JsonString(const QByteArray &utf8) {
    std::string out;
    AppendJsonUtf8(out, View(utf8));
    return QByteArray::fromStdString(out);
}

QByteArray IdentifyJsonLine(const QByteArray &name, const DocInfo &info, const FileHeadRead &read,
                            bool extMismatch) {
    std::string out;
    out.reserve(256);
    out += "{\"path\":";
    // Most names are ASCII, and ASCII is always valid UTF-8.
    const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return c >= 0; });
    const QString decoded = ascii ? QString() : DecodeFileName(name);
    if (!ascii && HasForeignBytes(decoded)) {
        AppendJsonUtf8(out, View(ShownName(decoded)));
        out += ",\"pathBytes\":\"";
        out += View(name.toBase64());
        out += '"';
    } else {
        AppendJsonUtf8(out, View(name));
    }
    out += ",\"recognised\":";
    out += info.recognised() ? "true" : "false";
    out += ",\"creator\":";
    AppendJsonString(out, info.creator ? FourCharCodeString(info.creator) : QString());
    out += ",\"version\":";
    out += std::to_string(info.version);
    const std::pair<const char *, const QString *> texts[] = {
        {"versionName", &info.versionName}, {"os", &info.os},     {"ext", &info.ext},
        {"appName", &info.appName},         {"type", &info.type},
    };
    for (const auto &[member, value] : texts) {
        out += ",\"";
        out += member;
        out += "\":";
        AppendJsonString(out, *value);
    }
    if (extMismatch)
        out += ",\"extMismatch\":true";
    if (!read.ok()) {
        out += ",\"error\":";
        AppendJsonUtf8(out, View(FileHeadErrorText(read.error)));
    }
    out += "}\n";
    return QByteArray::fromStdString(out);
}
