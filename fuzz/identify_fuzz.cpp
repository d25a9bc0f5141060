// SPDX-License-Identifier: MIT
// Arbitrary document heads through both ways in: a file on disk read by
// IdentifyDocument (short files included), and the head handed straight to
// IdentifyHeader with the shipped document-type table. A full head must give
// the same record both ways.

#include "FuzzSupport.h"

#include "doc/DocTypes.h"
#include "doc/IdentifyDocument.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

bool SameRecord(const DocInfo &a, const DocInfo &b) {
    return a.header == b.header && a.creator == b.creator && a.version == b.version &&
           a.versionName == b.versionName && a.os == b.os && a.ext == b.ext &&
           a.appName == b.appName && a.type == b.type;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    StartFuzzProcess();
    if (size > 2 * kDocHeaderSize)
        return 0;

    DocInfo fromHead;
    std::memcpy(fromHead.header.data(), data, std::min(size, kDocHeaderSize));
    IdentifyHeader(fromHead, DocTypes());

    const DocInfo fromFile = IdentifyDocument(WriteFuzzFile(QStringLiteral("head"), data, size));
    if (size < kDocHeaderSize) {
        if (fromFile.recognised())
            std::abort(); // a short file is never a document
    } else if (!SameRecord(fromHead, fromFile)) {
        std::abort();
    }
    return 0;
}
