// SPDX-License-Identifier: MIT
#include "tool/IdentifyTsv.h"

#include "tool/NameEscapes.h"

const char kIdentifyTsvHeader[] = "path\trecognised\tcreator\tversion\tversionName\tos\text\t"
                                  "appName\ttype\textMismatch\terror\n";

QByteArray IdentifyTsvLine(const QByteArray &name, const DocInfo &info, const FileHeadRead &read,
                           bool extMismatch) {
    QByteArray row = TsvEscaped(name);
    row += info.recognised() ? "\ttrue\t" : "\tfalse\t";
    if (info.creator)
        row += FourCharCodeString(info.creator).toUtf8();
    row += '\t' + QByteArray::number(info.version);
    for (const QString *text : {&info.versionName, &info.os, &info.ext, &info.appName, &info.type})
        row += '\t' + TsvEscaped(text->toUtf8());
    row += extMismatch ? "\ttrue\t" : "\tfalse\t";
    if (!read.ok())
        row += FileHeadErrorText(read.error);
    return row + '\n';
}
