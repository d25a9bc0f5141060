// SPDX-License-Identifier: MIT
#include "platform/Format.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    QString formatted;
    QString expected;
};

// A failure names its case by the text expected.
void ExpectAll(std::initializer_list<Case> cases) {
    for (const Case &c : cases)
        EXPECT_EQ(c.formatted, c.expected);
}

TEST(FormatTest, ConversionsAsTranslatorsWriteThemAndNoneReadsPastTheArguments) {
    ExpectAll({
        {Format("%@: %@|%s|%@ %@|100%%", QStringLiteral("/x/Plan.qxd"), QStringLiteral(""), "Grüße",
                qint64(12), true),
         "/x/Plan.qxd: |Grüße|12 1|100%"},
        {Format("%@ %s", QString(), static_cast<const char *>(nullptr)), "(null) (null)"},
        {Format("[%-6@][%6s][%.2@]", QStringLiteral("ab"), "cd", QStringLiteral("xyz")),
         "[ab    ][    cd][xy]"},
        {Format("%i|%5d|%-5d|%05d|%+d|%x %X %#x %o %u", -3, 42, 42, 42, 7, 255, 255, 255, 8,
                4000000000u),
         "-3|   42|42   |00042|+7|ff FF 0xff 10 4000000000"},
        {Format("%ld %lld %qd %zu %Ld", qint64(1) << 40, qint64(-5), qint64(6), 7,
                qint64(5000000000)),
         "1099511627776 -5 6 7 5000000000"},
        {Format("%d", qint64(1) << 32), "0"}, // an int, as in C
        {Format("%.2f %g %e %c%C", 2.5, 0.5, 1000.0, 'A', 0x263A), "2.50 0.5 1.000000e+03 A☺"},
        {Format("%*d|%-*d|%.*s", 4, 1, 3, 2, 2, "abc"), "   1|2  |ab"},
        {Format("%2$@ von %1$@ %1$@", QStringLiteral("a"), QStringLiteral("b")), "b von a a"},
        // Widths and precisions may name their argument too.
        {Format("[%1$*2$d][%3$.*2$f]", 7, 3, 2.5), "[  7][2.500]"},
    });
    // Translators write formats: nothing they write may crash or read memory.
    ExpectAll({
        {Format("%@ %@ %s %d", QStringLiteral("one")), "one (null) (null) (null)"},
        {Format("%s %d %f|%-4d|", QStringLiteral("a"), QStringLiteral("7 b"), QStringLiteral("x"),
                QStringLiteral("ab")),
         "a 7 b x|ab  |"},
        {Format("%9$@ %0$@ %999999999999$@", QStringLiteral("a")), "(null) %0$@ (null)"},
        {Format("%k %n%p %lllllld 50%", 1), "%k %n%p %lllllld 50%"},
        {Format("%-"), "%-"},
        {Format("%c|%c", qint64(-1), 0xD800), "|"},
        {Format(QString()), QString()},
    });
    EXPECT_EQ(Format("%99999999999d", 1).size(), 4096);
    EXPECT_EQ(Format("%.99999999999f", 1.0).size(), 4098);
}

} // namespace
