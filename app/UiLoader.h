#pragma once

#include <QString>
#include <QUiLoader>

#include <memory>

// Loads interface files from the resources and creates Tavo's own widgets
// (DropView, ChooseBox) where the files name them.
class UiLoader : public QUiLoader {
    Q_OBJECT
public:
    // `applicationsFolder` is where the location boxes look for defaults.
    // The loader knows no designer plugins: our files name none.
    static std::unique_ptr<UiLoader> create(const QString &applicationsFolder);

    QWidget *createWidget(const QString &className, QWidget *parent = nullptr,
                          const QString &name = QString()) override;

    // The top-level widget of the resource name.ui; null, with the reason in
    // errorString(), when it cannot be loaded.
    QWidget *loadResource(const QString &name, QWidget *parent = nullptr);

private:
    explicit UiLoader(const QString &applicationsFolder);

    QString mApplicationsFolder;
};
