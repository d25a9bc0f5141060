// SPDX-License-Identifier: MIT
#include "doc/InDesignVersions.h"

namespace {

struct Row {
    int version;
    const char *type;
    const char *name;
};

// The type codes are Adobe's own and do not run in order: CS5.5 is IDd2 and
// CC 2014 is IDdX. No version name exists for 2016. From 2021 on the codes
// are not known.
constexpr Row kRows[] = {
    {20, "IDd4", "CS2"},      {30, "IDd5", "CS3"},      {40, "IDd6", "CS4"},
    {50, "IDd7", "CS5"},      {55, "IDd2", "CS5.5"},    {60, "IDd8", "CS6"},
    {70, "IDd9", "CC"},       {80, "IDdX", "CC 2014"},  {90, "IDdB", "CC 2015"},
    {100, "IDdC", "CC 2017"}, {110, "IDdD", "CC 2018"}, {120, "IDdE", "CC 2019"},
    {130, "IDdF", "2020"},    {140, "????", "2021"},    {150, "????", "2022"},
    {160, "????", "2023"},    {170, "????", "2024"},    {180, "????", "2025"},
    {190, "????", "2026"},
};

} // namespace

InDesignVersion InDesignVersionFor(int version) {
    for (const Row &row : kRows) {
        if (row.version == version)
            return {QString::fromLatin1(row.type), QString::fromLatin1(row.name)};
    }
    return {QStringLiteral("????"), QStringLiteral("??")};
}
