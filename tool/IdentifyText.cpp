// SPDX-License-Identifier: MIT
#include "tool/IdentifyText.h"

#include "tool/NameEscapes.h"

namespace {

QByteArray Description(const DocInfo &info) {
    if (!info.recognised())
        return QByteArrayLiteral("not a layout document");
    QByteArray text = info.appName.toUtf8();
    text += ' ';
    text += info.versionName.isEmpty() ? "version " + QByteArray::number(info.version)
                                       : info.versionName.toUtf8();
    if (info.os == QLatin1String("M"))
        text += " (Mac)";
    else if (info.os == QLatin1String("W"))
        text += " (Win)";
    else if (!info.os.isEmpty())
        text += " (" + info.os.toUtf8() + ')';
    return text;
}

} // namespace

QByteArray IdentifyTextLine(const QByteArray &name, const DocInfo &info, const FileHeadRead &read,
                            bool extMismatch) {
    const QByteArray shown = OctalEscaped(name);
    QByteArray line = shown + ": ";
    if (read.ok()) {
        line += Description(info);
        if (extMismatch)
            line += info.ext.isEmpty() ? ", extension does not fit"
                                       : ", extension should be ." + info.ext.toUtf8();
    } else {
        line += "cannot open `";
        line += shown + "' (" + FileHeadErrorText(read.error) + ')';
    }
    line += '\n';
    return line;
}
