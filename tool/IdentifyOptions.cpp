// SPDX-License-Identifier: MIT
#include "tool/IdentifyOptions.h"

#include <charconv>
#include <optional>

// Neither QCommandLineParser nor getopt_long keeps a lone "-" at its place
// among the files, nor tells one before "--" from one after it, and both
// would take option names that are not in the documented set (getopt_long
// accepts any unambiguous abbreviation); so the few options are read here.

namespace {

using Action = IdentifyOptions::Action;

std::optional<int> JobCount(const QByteArray &text) {
    int value = 0;
    const char *end = text.constData() + text.size();
    const auto [ptr, ec] = std::from_chars(text.constData(), end, value);
    if (ec != std::errc() || ptr != end || value < 1 || value > IdentifyOptions::kMaxJobs)
        return std::nullopt;
    return value;
}

class Parser {
public:
    explicit Parser(const QList<QByteArray> &arguments) : mArgs(arguments) {}

    IdentifyOptions parse() {
        mOptions.jobs = IdentifyOptions::kDefaultJobs;
        bool optionsEnded = false;
        for (mAt = 0; mAt < mArgs.size() && !stopped(); ++mAt) {
            const QByteArray &arg = mArgs[mAt];
            if (optionsEnded || arg == "-" || !arg.startsWith('-'))
                mOptions.operands.append({arg, !optionsEnded && arg == "-"});
            else if (arg == "--")
                optionsEnded = true;
            else if (arg.startsWith("--"))
                longOption(arg.mid(2));
            else
                shortOptions(arg.mid(1));
        }
        if (stopped())
            return mOptions;
        if (mOptions.operands.isEmpty()) {
            if (mOptions.nulSeparated)
                mOptions.operands.append({QByteArray(), true});
            else
                fail("no files given");
        }
        return mOptions;
    }

private:
    bool stopped() const { return mOptions.action != Action::Identify; }

    void fail(const QByteArray &problem) {
        mOptions.action = Action::UsageError;
        mOptions.problem = problem;
    }

    // The value of an option that takes one: attached, or the next argument.
    std::optional<QByteArray> value(const std::optional<QByteArray> &attached,
                                    const QByteArray &name) {
        if (attached)
            return attached;
        if (mAt + 1 < mArgs.size())
            return mArgs[++mAt];
        fail("option " + name + " needs a value");
        return std::nullopt;
    }

    void setJobs(const std::optional<QByteArray> &text, const QByteArray &name) {
        if (!text)
            return;
        if (const std::optional<int> jobs = JobCount(*text))
            mOptions.jobs = *jobs;
        else
            fail(name + " wants a number from 1 to " +
                 QByteArray::number(IdentifyOptions::kMaxJobs) + ", not '" + *text + "'");
    }

    void setFormat(const std::optional<QByteArray> &text) {
        if (!text)
            return;
        if (*text == "json")
            mOptions.format = IdentifyOptions::Format::Json;
        else if (*text == "text")
            mOptions.format = IdentifyOptions::Format::Text;
        else
            fail("--format wants json or text, not '" + *text + "'");
    }

    void longOption(const QByteArray &body) {
        const qsizetype equals = body.indexOf('=');
        const QByteArray name = equals < 0 ? body : body.left(equals);
        const std::optional<QByteArray> attached =
            equals < 0 ? std::nullopt : std::optional<QByteArray>(body.mid(equals + 1));
        const bool takesValue = name == "jobs" || name == "format";
        if (!takesValue && equals >= 0) {
            fail("option --" + name + " takes no value");
            return;
        }
        if (name == "help")
            mOptions.action = Action::Help;
        else if (name == "version")
            mOptions.action = Action::Version;
        else if (name == "null")
            mOptions.nulSeparated = true;
        else if (name == "recursive")
            mOptions.recursive = true;
        else if (name == "follow")
            mOptions.follow = true;
        else if (name == "jobs")
            setJobs(value(attached, "--jobs"), "--jobs");
        else if (name == "format")
            setFormat(value(attached, "--format"));
        else
            fail("unknown option --" + name);
    }

    // A cluster such as "-rL" or "-rj4": each letter is an option, and -j
    // takes the rest of the cluster, or the next argument, as its value.
    void shortOptions(const QByteArray &cluster) {
        for (qsizetype i = 0; i < cluster.size() && !stopped(); ++i) {
            switch (cluster[i]) {
            case 'h':
                mOptions.action = Action::Help;
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
            case 'j': {
                const QByteArray rest = cluster.mid(i + 1);
                setJobs(
                    value(rest.isEmpty() ? std::nullopt : std::optional<QByteArray>(rest), "-j"),
                    "-j");
                return;
            }
            default:
                fail("unknown option -" + cluster.mid(i, 1));
            }
        }
    }

    const QList<QByteArray> &mArgs;
    qsizetype mAt = 0;
    IdentifyOptions mOptions;
};

} // namespace

IdentifyOptions ParseIdentifyOptions(const QList<QByteArray> &arguments) {
    return Parser(arguments).parse();
}
