// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QList>

// tavo-identify's command line. A lone "-" before "--" stands for standard
// input at its place among the files; after "--" it is a file named "-".
struct IdentifyOptions {
    enum class Action { Identify, Help, Version, UsageError };
    enum class Format { Json, Text, Tsv };

    // One file, or standard input where `standardInput` is set.
    struct Operand {
        QByteArray path;
        bool standardInput = false;
    };

    Action action = Action::Identify;
    QByteArray problem; // what is wrong, for a usage error
    QList<Operand> operands;
    QList<QByteArray> excludes; // fnmatch(3) patterns for the last component of a name
    bool nulSeparated = false;
    bool recursive = false;
    bool follow = false;
    bool summary = false;
    int jobs = 0; // reads in flight; kDefaultJobs unless given
    Format format = Format::Json;

    // Measured on a local disk and over a network share, see README.
    static constexpr int kDefaultJobs = 32;
    static constexpr int kMaxJobs = 256;
};

// Reads main()'s arguments. -h/--help and --version act wherever they stand;
// the first problem found makes a usage error. Long options are taken only
// by their whole names.
IdentifyOptions ParseIdentifyOptions(int argc, char *argv[]);
