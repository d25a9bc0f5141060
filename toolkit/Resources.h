// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

// The folder of resources that ships with the program: share/tavo beside the
// program's bin folder, the same in the build tree and after an install.
class Bundle {
public:
    explicit Bundle(QString resourceFolder) : mFolder(std::move(resourceFolder)) {}

    // The bundle of the running program; needs a QCoreApplication.
    static Bundle mainBundle();

    const QString &resourceFolder() const { return mFolder; }

    // Full path of name.type in the resource folder; absent when there is none.
    QString pathForResource(const QString &name, const QString &type) const;

private:
    QString mFolder;
};

// Set once at start-up, before anything looks up a resource.
extern std::optional<Bundle> gBundle;

// Absent when gBundle is not set or holds no such resource.
QString ResourcePath(const QString &name, const QString &type);
