#include "app/UiLoader.h"

#include "doc/ChooseBox.h"
#include "doc/DropView.h"
#include "toolkit/Resources.h"

#include <QCoreApplication>
#include <QFile>

UiLoader::UiLoader(const QString &applicationsFolder) : mApplicationsFolder(applicationsFolder) {}

std::unique_ptr<UiLoader> UiLoader::create(const QString &applicationsFolder) {
    // QUiLoader loads every designer plugin of the library paths as it is
    // made (QtQuick among them, some 15 ms and 5 MiB at every start); our
    // files name none, so it is made with the paths hidden.
    const QStringList libraryPaths = QCoreApplication::libraryPaths();
    QCoreApplication::setLibraryPaths({});
    std::unique_ptr<UiLoader> loader(new UiLoader(applicationsFolder));
    QCoreApplication::setLibraryPaths(libraryPaths);
    return loader;
}

QWidget *UiLoader::createWidget(const QString &className, QWidget *parent, const QString &name) {
    QWidget *widget = nullptr;
    if (className == QLatin1String("DropView")) {
        widget = new DropView(parent);
    } else if (className == QLatin1String("ChooseBox")) {
        auto *box = new ChooseBox(parent);
        box->setApplicationsFolder(mApplicationsFolder);
        widget = box;
    } else {
        return QUiLoader::createWidget(className, parent, name);
    }
    widget->setObjectName(name);
    return widget;
}

QWidget *UiLoader::loadResource(const QString &name, QWidget *parent) {
    QFile file(ResourcePath(name, QStringLiteral("ui")));
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    return load(&file, parent);
}
