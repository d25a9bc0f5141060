// SPDX-License-Identifier: MIT
#include "platform/FileName.h"

#include <gtest/gtest.h>

namespace {

TEST(FileNameTest, EveryNameComesBackAsItsExactBytes) {
    const QByteArray names[] = {
        "Plan.qxd",
        "Z\xfcrich.indd",       // Latin-1
        "\xc3\x28.qxd",         // a lead byte without its continuation
        "\xe2\x82.qxd",         // cut short
        "\xc0\xaf\xe0\x80\xaf", // overlong forms
        "\xed\xa0\x80x",        // a UTF-16 surrogate written as UTF-8
        "\xf4\x90\x80\x80",     // past U+10FFFF
        "\x80\xbf\xfe\xff",     // stray bytes
        "Stra\xc3\x9f"
        "e \xf0\x9f\x93\x84.indd", // valid, with a character beyond 16 bits
    };
    for (const QByteArray &native : names) {
        const QString name = DecodeFileName(native);
        EXPECT_EQ(EncodeFileName(name), native) << native.toHex().constData();
        EXPECT_EQ(HasForeignBytes(name), QString::fromUtf8(native).toUtf8() != native)
            << native.toHex().constData();
    }
    EXPECT_TRUE(DecodeFileName(QByteArray()).isNull());
}

} // namespace
