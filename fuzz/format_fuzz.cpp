// SPDX-License-Identifier: MIT
// Arbitrary formats, as a translator might write them, over arguments of every
// kind the program passes: the first 16 bytes give the numbers, the rest is
// the format. No format may crash or read beyond its arguments, with any
// argument list or none.

#include "FuzzSupport.h"

#include "platform/Format.h"

#include <QVariantMap>

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    StartFuzzProcess();
    // A format is a line or two; a long one only multiplies the padding that
    // every width of up to 4096 may add, and the fuzzer's memory with it.
    if (size > 4096)
        return 0;
    qint64 integer = 0;
    double real = 0;
    if (size >= 16) {
        std::memcpy(&integer, data, sizeof integer);
        std::memcpy(&real, data + 8, sizeof real);
        data += 16;
        size -= 16;
    }
    const QString format =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    const QVariantList args{FormatArg(QStringLiteral("Plan.qxd")),
                            FormatArg(integer),
                            FormatArg(real),
                            FormatArg("bytes"),
                            FormatArg(QString()),
                            FormatArg(static_cast<quint64>(integer)),
                            FormatArg(true),
                            QVariant(QVariantList{1, QStringLiteral("x")}),
                            QVariant(QVariantMap{{QStringLiteral("k"), 2.5}})};
    FormatString(format, args);
    FormatString(format, args.mid(0, 3));
    FormatString(format, {});
    return 0;
}
