// SPDX-License-Identifier: MIT
#include "doc/ApplicationChooser.h"

#include "platform/Format.h"
#include "strings/Alerts.h"
#include "strings/StringTable.h"
#include "strings/Translate.h"
#include "toolkit/TavoSettings.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kEntryPathRole = Qt::UserRole;

const QString kApplicationNames[] = {QStringLiteral("QuarkXPress"),
                                     QStringLiteral("Adobe InDesign")};

QString ApplicationNameOfKey(const QString &key) {
    for (const QString &name : kApplicationNames) {
        if (key.startsWith(name))
            return name;
    }
    return key;
}

QIcon IconOf(const DesktopApplication &app, const QStyle *style) {
    const bool file = QDir::isAbsolutePath(app.iconName);
    const QIcon icon = file ? QIcon(app.iconName) : QIcon::fromTheme(app.iconName);
    if (!icon.isNull() && (!file || QFileInfo::exists(app.iconName)))
        return icon;
    return QIcon::fromTheme(QStringLiteral("application-x-executable"),
                            style->standardIcon(QStyle::SP_FileIcon));
}

// The desktop's own file dialog takes a folder only as a place to go into;
// this one takes a bundle folder as the choice, as it takes a desktop entry.
class LocationFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QString file = selectedFiles().value(0);
        const QFileInfo info(file);
        if (info.isDir() && file.endsWith(QLatin1String(".app")))
            QDialog::accept();
        else if (info.isDir() || (info.isFile() && IsDesktopEntryPath(file)))
            QFileDialog::accept(); // goes into an ordinary folder
    }
};

} // namespace

QList<DesktopApplication> ApplicationsToOffer(const QString &key) {
    const QString name = ApplicationNameOfKey(key);
    QList<DesktopApplication> apps = DesktopApplications();
    std::sort(apps.begin(), apps.end(), [&name](const auto &a, const auto &b) {
        const bool aFirst = a.name.startsWith(name, Qt::CaseInsensitive);
        const bool bFirst = b.name.startsWith(name, Qt::CaseInsensitive);
        if (aFirst != bFirst)
            return aFirst;
        return a.name.localeAwareCompare(b.name) < 0;
    });
    return apps;
}

bool UsableLocation(const QString &path, QWidget *parent, const QString &name) {
    if (!IsDesktopEntryPath(path))
        return true;
    const QString refusal = DesktopEntryRefusal(path);
    if (refusal.isNull())
        return true;
    const QString shown = name.isEmpty() ? QFileInfo(path).completeBaseName() : name;
    ShowAlertIn(parent, TextForKey("entryRefused", FormatArgs(shown)), refusal);
    return false;
}

ApplicationChooser::ApplicationChooser(const QString &key, const QString &startFolder,
                                       QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      mKey(key), mStartFolder(startFolder), mList(new QListWidget(this)) {
    setWindowTitle(TextForKey("chooseAppFor", FormatArgs(key)));
    auto *hint = new QLabel(TextForKey("chooseAppHint", FormatArgs(key)), this);
    hint->setWordWrap(true);
    hint->setTextFormat(Qt::PlainText);
    mList->setIconSize(QSize(32, 32));
    mList->setUniformItemSizes(true);

    const QString current = gSettings->dict().value(key).toString();
    for (const DesktopApplication &app : ApplicationsToOffer(key)) {
        auto *item = new QListWidgetItem(IconOf(app, style()), app.name, mList);
        item->setData(kEntryPathRole, app.entryPath);
        item->setToolTip(app.entryPath);
        if (app.entryPath == current || (!mList->currentItem() && app.name == key))
            mList->setCurrentItem(item);
    }

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *choose = buttons->button(QDialogButtonBox::Ok);
    choose->setText(TranslateString(QStringLiteral("choose")));
    buttons->button(QDialogButtonBox::Cancel)->setText(TranslateString(QStringLiteral("cancel")));
    QPushButton *browse =
        buttons->addButton(TranslateString(QStringLiteral("browse…")), QDialogButtonBox::ResetRole);
    choose->setEnabled(mList->currentItem());
    connect(mList, &QListWidget::currentItemChanged, choose,
            [choose](QListWidgetItem *item) { choose->setEnabled(item); });
    connect(mList, &QListWidget::itemActivated, this, &ApplicationChooser::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &ApplicationChooser::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, &ApplicationChooser::browse);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(mList);
    layout->addWidget(buttons);
    resize(440, 420);
}

void ApplicationChooser::choosePath(const QString &path, const QString &name) {
    if (!UsableLocation(path, this, name))
        return;
    mChosen = path;
    QDialog::accept();
}

void ApplicationChooser::accept() {
    if (const QListWidgetItem *item = mList->currentItem())
        choosePath(item->data(kEntryPathRole).toString(), item->text());
}

void ApplicationChooser::browse() {
    const QFileInfo current(gSettings->dict().value(mKey).toString());
    const QString start = current.exists() ? current.absolutePath() : mStartFolder;
    LocationFileDialog dialog(this, GetString(QStringLiteral("chooseApp")), start);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(
        Format(QStringLiteral("%@ (*.app *.desktop)"), GetString(QStringLiteral("appLocations"))));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        choosePath(dialog.selectedFiles().constFirst());
}

QString RunApplicationChooser(QWidget *parent, const QString &key, const QString &startFolder) {
    ApplicationChooser chooser(key, startFolder, parent);
    return chooser.exec() == QDialog::Accepted ? chooser.chosen() : QString();
}
