#include "app/IdentifyJson.h"

namespace {

void AppendJsonString(QByteArray &out, const QString &text) {
    if (text.isNull()) {
        out += "null";
        return;
    }
    out += '"';
    for (const char c : text.toUtf8()) {
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

} // namespace

QByteArray IdentifyJsonLine(const QString &path, const DocInfo &info) {
    QByteArray out;
    out.reserve(256);
    out += "{\"path\":";
    AppendJsonString(out, path);
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
    for (const auto &[name, value] : texts) {
        out += ",\"";
        out += name;
        out += "\":";
        AppendJsonString(out, *value);
    }
    out += "}\n";
    return out;
}
