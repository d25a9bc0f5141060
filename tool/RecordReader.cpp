// SPDX-License-Identifier: MIT
#include "tool/RecordReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr qsizetype kChunk = 1 << 16;

// Keeps at most kMaxRecord bytes of a record and drops the rest as it comes,
// so one endless line cannot fill memory.
void Append(RecordReader::Record &record, const char *data, qsizetype size) {
    const qsizetype keep = std::min(size, RecordReader::kMaxRecord - record.bytes.size());
    record.bytes.append(data, keep);
    if (keep < size)
        record.tooLong = true;
}

} // namespace

bool RecordReader::fill() {
    if (mEnd)
        return false;
    mBuffer.resize(kChunk);
    mStart = 0;
    ssize_t n = 0;
    do
        n = ::read(mFd, mBuffer.data(), kChunk);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        mError = errno;
    if (n <= 0)
        mEnd = true;
    mBuffer.resize(n > 0 ? n : 0);
    return n > 0;
}

bool RecordReader::next(Record &record) {
    record = Record();
    while (true) {
        const char *begin = mBuffer.constData() + mStart;
        const qsizetype pending = mBuffer.size() - mStart;
        if (const auto *hit = static_cast<const char *>(
                std::memchr(begin, mSeparator, static_cast<std::size_t>(pending)))) {
            Append(record, begin, hit - begin);
            mStart += hit - begin + 1;
            return true;
        }
        Append(record, begin, pending);
        mStart = mBuffer.size();
        if (!fill())
            // The last record may end without a separator.
            return mError == 0 && (!record.bytes.isEmpty() || record.tooLong);
    }
}
