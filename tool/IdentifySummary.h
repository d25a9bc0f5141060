// SPDX-License-Identifier: MIT
#pragma once

#include "tool/IdentifyOptions.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <tuple>

// The counts --summary prints after the files: one per application version
// (its settings key, such as "QuarkXPress 2016", without the platform), in
// the order of the applications' names and then of the versions, then the
// files that were read but not recognised and those that could not be read.
// Every file falls in exactly one of them. In each format:
//
//   text   an empty line, then "COUNT WHAT" as uniq -c writes them:
//                3 QuarkXPress 2016
//                1 not a layout document
//                0 cannot open
//   json   {"summary":"version","appName":"QuarkXPress","versionName":"2016","count":3}
//          {"summary":"unrecognised","count":1}
//          {"summary":"errors","count":0}
//   tsv    an empty line, a header row "summary\tcount", then rows such as
//          "QuarkXPress 2016\t3", "unrecognised\t1" and "errors\t0"
class IdentifySummary {
public:
    void addRecognised(const QString &appName, const QString &versionName, qint32 version);
    void addUnrecognised() { ++mUnrecognised; }
    void addError() { ++mErrors; }

    QByteArray lines(IdentifyOptions::Format format) const;

private:
    // Ordered by application, version number and name; "??" stands for
    // several InDesign numbers, so the first one met orders it.
    struct Version {
        qint32 number = 0;
        qint64 count = 0;
    };
    std::map<std::pair<QString, QString>, Version> mVersions;
    qint64 mUnrecognised = 0;
    qint64 mErrors = 0;
};
