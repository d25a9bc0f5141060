#include "platform/Format.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatTest, ObjectsTextsAndByteStrings) {
    EXPECT_EQ(Format("%@: %@", QStringLiteral("/x/Plan.qxd"), QStringLiteral("gone")),
              QLatin1String("/x/Plan.qxd: gone"));
    EXPECT_EQ(Format("%@ %s", QString(), static_cast<const char *>(nullptr)),
              QLatin1String("(null) (null)"));
    EXPECT_EQ(Format("%s %s", "Tavo", "2.20"), QLatin1String("Tavo 2.20"));
    EXPECT_EQ(Format("%@", QStringLiteral("")), QLatin1String(""));
    EXPECT_EQ(Format("%s", "Gr\xC3\xBC\xC3\x9F"
                           "e"),
              QString::fromUtf8("Grüße"));
    EXPECT_EQ(Format("%@ %@", qint64(12), true), QLatin1String("12 1"));
    EXPECT_EQ(Format("100%% %@", QStringLiteral("sure")), QLatin1String("100% sure"));
    EXPECT_EQ(Format("[%-6@][%6s][%.2@]", QStringLiteral("ab"), "cd", QStringLiteral("xyz")),
              QLatin1String("[ab    ][    cd][xy]"));
}

TEST(FormatTest, IntegersRealsAndCharacters) {
    EXPECT_EQ(Format("© %d Vellmoran", 2019), QString::fromUtf8("© 2019 Vellmoran"));
    EXPECT_EQ(Format("%i|%5d|%-5d|%05d|%+d", -3, 42, 42, 42, 7),
              QLatin1String("-3|   42|42   |00042|+7"));
    EXPECT_EQ(Format("%x %X %#x %o %u", 255, 255, 255, 8, 4000000000u),
              QLatin1String("ff FF 0xff 10 4000000000"));
    EXPECT_EQ(Format("%ld %lld %qd %zu", qint64(1) << 40, qint64(-5), qint64(6), 7),
              QLatin1String("1099511627776 -5 6 7"));
    EXPECT_EQ(Format("%d", qint64(1) << 32), QLatin1String("0")); // an int, as in C
    EXPECT_EQ(Format("%.2f %g %e", 2.5, 0.5, 1000.0), QLatin1String("2.50 0.5 1.000000e+03"));
    EXPECT_EQ(Format("%c%C", 'A', 0x263A), QString::fromUtf8("A☺"));
    EXPECT_EQ(Format("%*d|%-*d|%.*s", 4, 1, 3, 2, 2, "abc"), QLatin1String("   1|2  |ab"));
}

TEST(FormatTest, PositionalArguments) {
    EXPECT_EQ(Format("%2$@ von %1$@", QStringLiteral("Tavo"), QStringLiteral("Version 2.20")),
              QLatin1String("Version 2.20 von Tavo"));
    EXPECT_EQ(Format("%1$s %1$s %2$d", "x", 3), QLatin1String("x x 3"));
    // Widths and precisions may name their argument too.
    EXPECT_EQ(Format("[%1$*2$d][%3$.*2$f]", 7, 3, 2.5), QLatin1String("[  7][2.500]"));
    EXPECT_EQ(Format("%Ld %-4d|", qint64(5000000000), QStringLiteral("ab")),
              QLatin1String("5000000000 ab  |"));
}

// Translators write formats: nothing they write may crash or read memory.
TEST(FormatTest, HostileFormatsNeverReadPastTheArguments) {
    EXPECT_EQ(Format("%@ %@ %s %d", QStringLiteral("one")),
              QLatin1String("one (null) (null) (null)"));
    EXPECT_EQ(Format("%s wants text", QStringLiteral("QuarkXPress 2016")),
              QLatin1String("QuarkXPress 2016 wants text"));
    EXPECT_EQ(Format("%d", QStringLiteral("7 files")), QLatin1String("7 files"));
    EXPECT_EQ(Format("%f", QStringLiteral("x")), QLatin1String("x"));
    EXPECT_EQ(Format("%9$@", QStringLiteral("a")), QLatin1String("(null)"));
    EXPECT_EQ(Format("%0$@ %999999999999$@", QStringLiteral("a")), QLatin1String("%0$@ (null)"));
    EXPECT_EQ(Format("50%"), QLatin1String("50%"));
    EXPECT_EQ(Format("%-"), QLatin1String("%-"));
    EXPECT_EQ(Format("%k and %y"), QLatin1String("%k and %y"));
    EXPECT_EQ(Format("%n%p"), QLatin1String("%n%p"));
    EXPECT_EQ(Format("%99999999999d", 1).size(), 4096);
    EXPECT_EQ(Format("%.99999999999f", 1.0).size(), 4098);
    EXPECT_EQ(Format("%c", qint64(-1)), QLatin1String(""));
    EXPECT_EQ(Format("%c", 0xD800), QLatin1String(""));
    EXPECT_EQ(Format("%lllllld", 1), QLatin1String("%lllllld"));
    EXPECT_EQ(Format(QString()), QString());
}

} // namespace
