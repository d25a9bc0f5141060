// SPDX-License-Identifier: MIT
#include "tool/IdentifyRunner.h"

#include "doc/IdentifyDocument.h"
#include "tool/ExtensionFit.h"
#include "tool/IdentifyInput.h"
#include "tool/IdentifyJson.h"
#include "tool/IdentifySummary.h"
#include "tool/IdentifyText.h"
#include "tool/IdentifyTsv.h"
#include "tool/OrderedPool.h"
#include "tool/ProcessLimits.h"
#include "tool/ToolMessage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Format = IdentifyOptions::Format;

struct Outcome {
    QByteArray line;
    QByteArray name;
    int error = 0;
    bool recognised = false;
    // Only for --summary.
    QString appName, versionName;
    qint32 version = 0;
};

Outcome Identify(const IdentifyInput::Item &item, const QVariant &docTypes,
                 const IdentifyOptions &options) {
    DocInfo info;
    FileHeadRead read;
    if (item.error)
        read.error = item.error;
    else
        read = ReadFileHeadBytes(item.path, info.header.data(), info.header.size());
    // A file shorter than a head is read fine but is no document.
    if (read.ok() && read.length == info.header.size())
        IdentifyHeader(info, docTypes);
    else
        info.header.fill(0);
    const bool misleads = ExtensionMisleads(item.path, info);
    Outcome outcome;
    switch (options.format) {
    case Format::Json:
        outcome.line = IdentifyJsonLine(item.path, info, read, misleads);
        break;
    case Format::Text:
        outcome.line = IdentifyTextLine(item.path, info, read, misleads);
        break;
    case Format::Tsv:
        outcome.line = IdentifyTsvLine(item.path, info, read, misleads);
        break;
    }
    outcome.error = read.error;
    outcome.recognised = info.recognised();
    if (!read.ok())
        outcome.name = item.path;
    if (options.summary && outcome.recognised) {
        outcome.appName = info.appName;
        outcome.versionName = info.versionName;
        outcome.version = info.version;
    }
    return outcome;
}

// Whether standard output and standard error go to one terminal, where the
// line of a file that cannot be read says all its message would.
bool OutputAndErrorsOnOneTerminal() {
    struct stat out {
    }, err{};
    return ::isatty(STDOUT_FILENO) && ::isatty(STDERR_FILENO) &&
           ::fstat(STDOUT_FILENO, &out) == 0 && ::fstat(STDERR_FILENO, &err) == 0 &&
           out.st_rdev == err.st_rdev;
}

class Output {
public:
    explicit Output(bool summary) : mSummary(summary), mQuiet(OutputAndErrorsOnOneTerminal()) {}

    // False once anything failed to be written; the reason is on standard error.
    bool write(const Outcome &outcome) {
        if (outcome.error) {
            if (!mQuiet)
                ToolMessage(outcome.name, FileHeadErrorText(outcome.error));
            mUnreadable = true;
        } else if (!outcome.recognised) {
            mUnrecognised = true;
        }
        if (mSummary)
            count(outcome);
        return write(outcome.line);
    }

    bool write(const QByteArray &text) {
        const auto size = static_cast<std::size_t>(text.size());
        errno = 0;
        return std::fwrite(text.constData(), 1, size, stdout) == size || failed();
    }

    // Writes the summary and what is buffered; false when that fails.
    bool finish(Format format) {
        if (mSummary && !write(mCounts.lines(format)))
            return false;
        errno = 0;
        return (std::fflush(stdout) == 0 && !std::ferror(stdout)) || failed();
    }

    int status(bool inputFailed) const {
        if (mUnreadable || inputFailed)
            return 2;
        return mUnrecognised ? 1 : 0;
    }

private:
    bool failed() {
        ToolMessage("standard output", FileHeadErrorText(errno ? errno : EIO));
        return false;
    }

    void count(const Outcome &outcome) {
        if (outcome.error)
            mCounts.addError();
        else if (outcome.recognised)
            mCounts.addRecognised(outcome.appName, outcome.versionName, outcome.version);
        else
            mCounts.addUnrecognised();
    }

    const bool mSummary;
    const bool mQuiet;
    IdentifySummary mCounts;
    bool mUnreadable = false;
    bool mUnrecognised = false;
};

} // namespace

int RunIdentify(const IdentifyOptions &options, const QVariant &docTypes, int standardInput) {
    IdentifyInput input(options, standardInput);
    Output output(options.summary);
    if (options.format == Format::Tsv && !output.write(kIdentifyTsvHeader))
        return 2;
    const auto work = [&docTypes, &options](const IdentifyInput::Item &item) {
        return Identify(item, docTypes, options);
    };
    using Pool = OrderedPool<IdentifyInput::Item, Outcome>;
    const int jobs = options.jobs == 1 ? 1 : ReadsWithinLimits(options.jobs, Pool::kStackSize);
    IdentifyInput::Item item;
    if (jobs == 1) {
        while (input.next(item)) {
            if (!output.write(work(item)))
                return 2;
        }
    } else {
        // Enough results may wait behind a slow read to keep every thread busy.
        const auto window = static_cast<std::size_t>(std::max(256, 32 * jobs));
        Pool pool(jobs, window, work);
        bool more = true;
        while (more || !pool.empty()) {
            while (more && !pool.full()) {
                // Whatever is done goes out before the input may block.
                while (pool.ready()) {
                    if (!output.write(pool.take()))
                        return 2;
                }
                more = input.next(item);
                if (more)
                    pool.submit(std::move(item));
            }
            if (!pool.empty() && !output.write(pool.take()))
                return 2;
        }
    }
    if (!output.finish(options.format))
        return 2;
    return output.status(input.failed());
}
