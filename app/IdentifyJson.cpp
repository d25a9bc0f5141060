#include "app/IdentifyJson.h"

#include "platform/FileName.h"

namespace {

void AppendJsonUtf8(QByteArray &out, const QByteArray &utf8) {
    out += '"';
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
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
            if (u < 0x20) {
                static constexpr char kHex[] = "0123456789abcdef";
                out += "\\u00";
                out += kHex[u >> 4];
                out += kHex[u & 0xF];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void AppendJsonString(QByteArray &out, const QString &text) {
    if (text.isNull())
        out += "null";
    else
        AppendJsonUtf8(out, text.toUtf8());
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

QByteArray IdentifyJsonLine(const QByteArray &name, const DocInfo &info, const FileHeadRead &read) {
    QByteArray out;
    out.reserve(256);
    out += "{\"path\":";
    const QString decoded = DecodeFileName(name);
    if (HasForeignBytes(decoded)) {
        AppendJsonUtf8(out, ShownName(decoded));
        out += ",\"pathBytes\":\"";
        out += name.toBase64();
        out += '"';
    } else {
        AppendJsonUtf8(out, name);
    }
    out += ",\"recognised\":";
    out += info.recognised() ? "true" : "false";
    out += ",\"creator\":";
    AppendJsonString(out, info.creator ? FourCharCodeString(info.creator) : QString());
    out += ",\"version\":";
    out += QByteArray::number(info.version);
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
    if (!read.ok()) {
        out += ",\"error\":";
        AppendJsonUtf8(out, FileHeadErrorText(read.error));
    }
    out += "}\n";
    return out;
}
