#pragma once

#include <QString>

struct InDesignVersion {
    QString type;
    QString versionName;
};

// Type code and version name of an InDesign version number; "????" and "??"
// for any number the table does not hold.
InDesignVersion InDesignVersionFor(int version);
