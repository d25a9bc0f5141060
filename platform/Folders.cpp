#include "platform/Folders.h"

#include <QStandardPaths>

QString DocumentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString ApplicationSupportFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString ApplicationsFolder() {
    return QStringLiteral("/opt");
}
