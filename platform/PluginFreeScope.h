#pragma once

#include <QCoreApplication>
#include <QStringList>

// While one lives, Qt finds no plugins in the library paths. QUiLoader loads
// every designer plugin when it is made, and QImage loads every image-format
// plugin to read even a PNG; at start-up neither needs them, and loading them
// costs more than the rest of Tavo's start together.
class PluginFreeScope {
public:
    PluginFreeScope() : mPaths(QCoreApplication::libraryPaths()) {
        QCoreApplication::setLibraryPaths({});
    }
    ~PluginFreeScope() { QCoreApplication::setLibraryPaths(mPaths); }
    PluginFreeScope(const PluginFreeScope &) = delete;
    PluginFreeScope &operator=(const PluginFreeScope &) = delete;

private:
    QStringList mPaths;
};
