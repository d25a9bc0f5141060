// SPDX-License-Identifier: MIT
#include "tool/IdentifySummary.h"

#include "tool/IdentifyJson.h"
#include "tool/NameEscapes.h"

#include <algorithm>
#include <vector>

void IdentifySummary::addRecognised(const QString &appName, const QString &versionName,
                                    qint32 version) {
    Version &entry = mVersions[{appName, versionName}];
    if (entry.count++ == 0)
        entry.number = version;
}

QByteArray IdentifySummary::lines(IdentifyOptions::Format format) const {
    using Format = IdentifyOptions::Format;
    using Entry = std::pair<const std::pair<QString, QString>, Version>;
    std::vector<const Entry *> versions;
    for (const Entry &entry : mVersions)
        versions.push_back(&entry);
    std::stable_sort(versions.begin(), versions.end(), [](const Entry *a, const Entry *b) {
        return std::tie(a->first.first, a->second.number) <
               std::tie(b->first.first, b->second.number);
    });
    QByteArray out = format == Format::Json  ? ""
                     : format == Format::Tsv ? "\nsummary\tcount\n"
                                             : "\n";
    const auto row = [&](const QByteArray &what, qint64 count) {
        if (format == Format::Tsv)
            out += TsvEscaped(what) + '\t' + QByteArray::number(count) + '\n';
        else
            out += QByteArray::number(count).rightJustified(7) + ' ' + OctalEscaped(what) + '\n';
    };
    for (const Entry *entry : versions) {
        const QString &appName = entry->first.first, &versionName = entry->first.second;
        const qint64 count = entry->second.count;
        if (format == Format::Json)
            out += "{\"summary\":\"version\",\"appName\":" + JsonString(appName.toUtf8()) +
                   ",\"versionName\":" + JsonString(versionName.toUtf8()) +
                   ",\"count\":" + QByteArray::number(count) + "}\n";
        else
            row((appName + QLatin1Char(' ') + versionName).toUtf8(), count);
    }
    if (format == Format::Json)
        return out +
               "{\"summary\":\"unrecognised\",\"count\":" + QByteArray::number(mUnrecognised) +
               "}\n{\"summary\":\"errors\",\"count\":" + QByteArray::number(mErrors) + "}\n";
    row(format == Format::Tsv ? "unrecognised" : "not a layout document", mUnrecognised);
    row(format == Format::Tsv ? "errors" : "cannot open", mErrors);
    return out;
}
