// SPDX-License-Identifier: MIT
#include "tool/IdentifyOptions.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <getopt.h>

// getopt_long reads the options. The "-" that leads its option string hands
// every operand back at its place, a lone "-" among them, and stops at "--",
// after which everything from optind on is a file. What it cannot be told
// is to refuse abbreviations: it takes "--rec" for --recursive, and a later
// option could change what such a command line means, so each long option
// found is checked against the argument it came from.

namespace {

using Action = IdentifyOptions::Action;

enum LongOnly { kVersion = 256, kFormat, kExclude, kSummary };

constexpr option kLongOptions[] = {
    {"null", no_argument, nullptr, '0'},
    {"recursive", no_argument, nullptr, 'r'},
    {"follow", no_argument, nullptr, 'L'},
    {"jobs", required_argument, nullptr, 'j'},
    {"format", required_argument, nullptr, kFormat},
    {"exclude", required_argument, nullptr, kExclude},
    {"summary", no_argument, nullptr, kSummary},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

const option *LongOption(const QByteArray &name) {
    const auto *end = std::end(kLongOptions) - 1;
    const auto *found = std::find_if(std::begin(kLongOptions), end,
                                     [&](const option &o) { return name == o.name; });
    return found == end ? nullptr : found;
}

class Parser {
public:
    IdentifyOptions parse(int argc, char *argv[]) {
        mOptions.jobs = IdentifyOptions::kDefaultJobs;
        optind = 0; // a fresh scan
        opterr = 0; // the problems are told in the tool's own words
        while (mOptions.action == Action::Identify) {
            // The argument the next option comes from; a cluster of short
            // options keeps optind on itself until its last letter.
            const QByteArray from = argv[std::max(optind, 1)] ? argv[std::max(optind, 1)] : "";
            const int c = ::getopt_long(argc, argv, "-:0rLhj:", kLongOptions, nullptr);
            if (c == -1)
                break;
            if (c == 1) {
                mOptions.operands.append({optarg, std::strcmp(optarg, "-") == 0});
                continue;
            }
            const bool isLong = from.startsWith("--");
            const QByteArray name = isLong ? from.mid(2).split('=').first() : QByteArray();
            if (isLong && !LongOption(name))
                fail("unknown option --" + name);
            else if (c == '?' && isLong)
                fail("option --" + name + " takes no value");
            else if (c == '?')
                fail("unknown option -" + QByteArray(1, static_cast<char>(optopt)));
            else if (c == ':')
                fail("option " + shownName(isLong, name, optopt) + " needs a value");
            else
                take(c, shownName(isLong, name, c));
        }
        if (mOptions.action != Action::Identify)
            return mOptions;
        for (; optind < argc; ++optind)
            mOptions.operands.append({argv[optind], false});
        if (mOptions.operands.isEmpty()) {
            if (mOptions.nulSeparated)
                mOptions.operands.append({QByteArray(), true});
            else
                fail("no files given");
        }
        return mOptions;
    }

private:
    static QByteArray shownName(bool isLong, const QByteArray &name, int c) {
        return isLong ? "--" + name : "-" + QByteArray(1, static_cast<char>(c));
    }

    void fail(const QByteArray &problem) {
        mOptions.action = Action::UsageError;
        mOptions.problem = problem;
    }

    void take(int c, const QByteArray &shown) {
        const QByteArray value = optarg ? QByteArray(optarg) : QByteArray();
        switch (c) {
        case 'h':
            mOptions.action = Action::Help;
            break;
        case kVersion:
            mOptions.action = Action::Version;
            break;
        case '0':
            mOptions.nulSeparated = true;
            break;
        case 'r':
            mOptions.recursive = true;
            break;
        case 'L':
            mOptions.follow = true;
            break;
        case kSummary:
            mOptions.summary = true;
            break;
        case kExclude:
            mOptions.excludes.append(value);
            break;
        case 'j':
            setJobs(value, shown);
            break;
        case kFormat:
            setFormat(value);
            break;
        }
    }

    void setJobs(const QByteArray &text, const QByteArray &shown) {
        int value = 0;
        const char *end = text.constData() + text.size();
        const auto [ptr, ec] = std::from_chars(text.constData(), end, value);
        if (ec == std::errc() && ptr == end && value >= 1 && value <= IdentifyOptions::kMaxJobs)
            mOptions.jobs = value;
        else
            fail(shown + " wants a number from 1 to " +
                 QByteArray::number(IdentifyOptions::kMaxJobs) + ", not '" + text + "'");
    }

    void setFormat(const QByteArray &text) {
        using Format = IdentifyOptions::Format;
        if (text == "json")
            mOptions.format = Format::Json;
        else if (text == "text")
            mOptions.format = Format::Text;
        else if (text == "tsv")
            mOptions.format = Format::Tsv;
        else
            fail("--format wants json, text or tsv, not '" + text + "'");
    }

    IdentifyOptions mOptions;
};

} // namespace

IdentifyOptions ParseIdentifyOptions(int argc, char *argv[]) {
    return Parser().parse(argc, argv);
}
