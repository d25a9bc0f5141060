// SPDX-License-Identifier: MIT
#include "tool/IdentifyRunner.h"

#include "doc/IdentifyDocument.h"
#include "tool/IdentifyInput.h"
#include "tool/IdentifyJson.h"
#include "tool/IdentifyText.h"
#include "tool/OrderedPool.h"
#include "tool/ToolMessage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

struct Outcome {
    QByteArray line;
    QByteArray name;
    int error = 0;
    bool recognised = false;
};

Outcome Identify(const IdentifyInput::Item &item, const QVariant &docTypes,
                 IdentifyOptions::Format format) {
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
    Outcome outcome;
    outcome.line = format == IdentifyOptions::Format::Json
                       ? IdentifyJsonLine(item.path, info, read)
                       : IdentifyTextLine(item.path, info, read);
    outcome.error = read.error;
    outcome.recognised = info.recognised();
    if (!read.ok())
        outcome.name = item.path;
    return outcome;
}

class Output {
public:
    // False once anything failed to be written; the reason is on standard error.
    bool write(const Outcome &outcome) {
        if (outcome.error) {
            ToolMessage(outcome.name, FileHeadErrorText(outcome.error));
            mUnreadable = true;
        } else if (!outcome.recognised) {
            mUnrecognised = true;
        }
        const auto size = static_cast<std::size_t>(outcome.line.size());
        errno = 0;
        return std::fwrite(outcome.line.constData(), 1, size, stdout) == size || failed();
    }

    // Writes what is buffered; false when that fails.
    bool finish() {
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

    bool mUnreadable = false;
    bool mUnrecognised = false;
};

} // namespace

int RunIdentify(const IdentifyOptions &options, const QVariant &docTypes, int standardInput) {
    IdentifyInput input(options, standardInput);
    Output output;
    const auto work = [&docTypes, format = options.format](const IdentifyInput::Item &item) {
        return Identify(item, docTypes, format);
    };
    IdentifyInput::Item item;
    if (options.jobs == 1) {
        while (input.next(item)) {
            if (!output.write(work(item)))
                return 2;
        }
    } else {
        // Enough results may wait behind a slow read to keep every thread busy.
        const auto window = static_cast<std::size_t>(std::max(256, 32 * options.jobs));
        OrderedPool<IdentifyInput::Item, Outcome> pool(options.jobs, window, work);
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
    if (!output.finish())
        return 2;
    return output.status(input.failed());
}
