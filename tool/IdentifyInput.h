// SPDX-License-Identifier: MIT
#pragma once

#include "tool/FolderWalk.h"
#include "tool/IdentifyOptions.h"
#include "tool/NameFilter.h"
#include "tool/RecordReader.h"

#include <QByteArray>

#include <optional>

// The paths tavo-identify identifies, in the order of its output, one at a
// time: the files given, the records of standard input where "-" stands,
// and with -r the files below each folder among them, less the names
// --exclude leaves out. Nothing is read ahead of what is asked for.
class IdentifyInput {
public:
    struct Item {
        QByteArray path;
        int error = 0; // known before reading: a folder that cannot be listed, say
    };

    IdentifyInput(const IdentifyOptions &options, int standardInput);

    // The next path; false when every source is done.
    bool next(Item &item);

    // Standard input could not be read (the reason went to standard error).
    bool failed() const { return mFailed; }

private:
    bool nextGiven(Item &item);

    const IdentifyOptions &mOptions;
    const NameFilter mFilter;
    qsizetype mOperand = 0;
    RecordReader mRecords;
    bool mReadingRecords = false;
    std::optional<FolderWalk> mWalk;
    bool mFailed = false;
};
