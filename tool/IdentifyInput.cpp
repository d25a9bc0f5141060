// SPDX-License-Identifier: MIT
#include "tool/IdentifyInput.h"

#include "platform/FileHead.h"
#include "tool/ToolMessage.h"

#include <cerrno>
#include <sys/stat.h>

IdentifyInput::IdentifyInput(const IdentifyOptions &options, int standardInput)
    : mOptions(options), mFilter(options.excludes),
      mRecords(standardInput, options.nulSeparated ? '\0' : '\n') {}

// A path as given: an operand, or a record of standard input.
bool IdentifyInput::nextGiven(Item &item) {
    while (true) {
        if (mReadingRecords) {
            RecordReader::Record record;
            if (mRecords.next(record)) {
                // Lines from Windows machines end in CR LF; a NUL-separated
                // name is taken exactly.
                if (!mOptions.nulSeparated && record.bytes.endsWith('\r'))
                    record.bytes.chop(1);
                if (record.bytes.isEmpty() && !record.tooLong)
                    continue;
                item = {record.bytes, record.tooLong ? ENAMETOOLONG : 0};
                return true;
            }
            mReadingRecords = false;
            if (mRecords.error()) {
                ToolMessage("standard input", FileHeadErrorText(mRecords.error()));
                mFailed = true;
            }
            continue;
        }
        if (mOperand == mOptions.operands.size())
            return false;
        const IdentifyOptions::Operand &operand = mOptions.operands[mOperand++];
        if (operand.standardInput) {
            mReadingRecords = true;
            continue;
        }
        item = {operand.path, 0};
        return true;
    }
}

bool IdentifyInput::next(Item &item) {
    while (true) {
        if (mWalk) {
            FolderWalk::Entry entry;
            if (mWalk->next(entry)) {
                item = {entry.path, entry.error};
                return true;
            }
            mWalk.reset();
        }
        if (!nextGiven(item))
            return false;
        if (mFilter.excludes(item.path))
            continue;
        struct stat st {};
        if (!mOptions.recursive || item.error || item.path.contains('\0') ||
            ::stat(item.path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return true;
        mWalk.emplace(item.path, mOptions.follow, mFilter);
    }
}
