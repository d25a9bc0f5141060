// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>

#include <cstddef>

// Reads records (paths) from a file descriptor, one at a time, ended by a
// line feed or by NUL. Memory stays bounded however long the input: a record
// longer than kMaxRecord is cut there and marked, as no such path could be
// opened anyway.
class RecordReader {
public:
    RecordReader(int fd, char separator) : mFd(fd), mSeparator(separator) {}

    // No file name can be longer; see PATH_MAX.
    static constexpr qsizetype kMaxRecord = 4096;

    struct Record {
        QByteArray bytes;
        bool tooLong = false;
    };

    // The next record, without its separator; false at the end of the input
    // or when reading failed (then error() holds the errno).
    bool next(Record &record);
    int error() const { return mError; }

private:
    bool fill();

    int mFd;
    char mSeparator;
    QByteArray mBuffer;
    qsizetype mStart = 0;
    bool mEnd = false;
    int mError = 0;
};
