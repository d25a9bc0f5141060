#pragma once

#include "doc/DocInfo.h"

#include <QByteArray>
#include <QString>

// One line of tavo-identify's output for a file: a JSON object with the
// members path, recognised, creator, version, versionName, os, ext, appName
// and type, in that order, ended by a line feed.
QByteArray IdentifyJsonLine(const QString &path, const DocInfo &info);
