#pragma once

#include <QString>
#include <QUiLoader>

// Loads interface files from the resources and creates Tavo's own widgets
// (DropView, ChooseBox) where the files name them.
class UiLoader : public QUiLoader {
    Q_OBJECT
public:
    // `applicationsFolder` is where the location boxes look for defaults.
    explicit UiLoader(const QString &applicationsFolder, QObject *parent = nullptr);

    QWidget *createWidget(const QString &className, QWidget *parent = nullptr,
                          const QString &name = QString()) override;

    // The top-level widget of the resource name.ui; null, with the reason in
    // errorString(), when it cannot be loaded.
    QWidget *loadResource(const QString &name, QWidget *parent = nullptr);

private:
    QString mApplicationsFolder;
};
