// SPDX-License-Identifier: MIT
#include "toolkit/TavoSettings.h"

#include "platform/AppIdentity.h"

#include "platform/AtomicFile.h"
#include "platform/FileName.h"
#include "platform/Folders.h"
#include "platform/PropertyList.h"
#include "platform/PropertyValues.h"
#include "platform/RectText.h"
#include "platform/RegularFile.h"
#include "platform/UserDefaults.h"
#include "toolkit/DictionaryReads.h"
#include "toolkit/FileUtils.h"
#include "toolkit/Log.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cerrno>
#include <sys/stat.h>

TavoSettings *gSettings = nullptr;

namespace {

const QString kShowPrefs = QStringLiteral("ShowPrefs");
const QString kUseDocPrefs = QStringLiteral("UseDocPrefs");
const QString kAddSuffix = QStringLiteral("AddSuffix");
const QString kVisible = QStringLiteral("visible");
const QString kPos = QStringLiteral("Pos");
constexpr qint64 kNotSet = -1;
constexpr int kMaxKeptCopies = 100;
const QString kUnreadable = QStringLiteral(".unreadable");
const QString kOriginal = QStringLiteral(".original");

QString SettingsFile() {
    const QString folder = BuildPath(ApplicationSupportFolder(), QString::fromLatin1(kMakerFolder));
    CreateFolder(folder);
    return BuildPath(folder, QString::fromLatin1(kAppName), QStringLiteral("plist"));
}

// Anything at all bears the name, a dangling link included.
bool NameTaken(const QString &path) {
    struct stat info {};
    return ::lstat(EncodeFileName(path).constData(), &info) == 0 || errno != ENOENT;
}

// A copy made before: a regular file of its own (no link, not the settings
// file under a second name), holding `bytes`.
bool IsCopyOf(const QString &copy, const QString &path, const QByteArray &bytes) {
    struct stat info {};
    struct stat original {};
    if (::lstat(EncodeFileName(copy).constData(), &info) != 0 || !S_ISREG(info.st_mode) ||
        ::stat(EncodeFileName(path).constData(), &original) != 0 ||
        (info.st_dev == original.st_dev && info.st_ino == original.st_ino))
        return false;
    return ReadRegularFile(copy, kMaxSupportFileBytes, nullptr) == bytes;
}

// Keeps the file's bytes beside it, as path + suffix (or -2 and on), before
// they are overwritten. Whatever bears a copy's name is never replaced or
// removed; an older copy with the same bytes is reused, so saving again and
// again does not pile up copies. The copy is written whole or not at all.
// Absent, with the reason in `error`, when no copy could be kept.
QString KeepCopy(const QString &path, const QString &suffix, QString *error) {
    const std::optional<QByteArray> bytes = ReadRegularFile(path, kMaxSupportFileBytes, error);
    if (!bytes)
        return {};
    for (int n = 1; n <= kMaxKeptCopies; ++n) {
        QString copy = path + suffix;
        if (n > 1)
            copy += QStringLiteral("-%1").arg(n);
        if (!NameTaken(copy))
            return CreateFileAtomically(copy, *bytes, error) ? copy : QString();
        if (IsCopyOf(copy, path, *bytes))
            return copy;
    }
    *error = QStringLiteral("%1 names are taken").arg(kMaxKeptCopies);
    return {};
}

// The file holds UTF-8 texts only, so a name that is not UTF-8 (see
// FileName.h) is stored as data, its exact bytes, and read back as that
// name. An earlier Tavo reads the data as a location that is nowhere, where a
// text would have had "?" for each foreign byte: a name that may exist.
bool IsForeignName(const QByteArray &bytes) {
    return bytes.startsWith('/') && !bytes.contains('\0') && HasForeignBytes(DecodeFileName(bytes));
}

QVariantMap WithNames(QVariantMap dict) {
    for (QVariant &value : dict)
        if (value.typeId() == QMetaType::QByteArray && IsForeignName(value.toByteArray()))
            value = DecodeFileName(value.toByteArray());
    return dict;
}

QVariantMap NamesAsData(QVariantMap dict) {
    for (QVariant &value : dict)
        if (value.typeId() == QMetaType::QString && HasForeignBytes(value.toString()))
            value = EncodeFileName(value.toString());
    return dict;
}

// The visible frame of the screen that `point` lies on; empty when none.
QRect ScreenFrameAt(const QPoint &point) {
    for (const QScreen *screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(point))
            return screen->availableGeometry();
    return {};
}

void Centre(QWidget *window) {
    const QScreen *screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

} // namespace

TavoSettings::TavoSettings(QObject *parent) : TavoSettings(SettingsFile(), parent) {}

TavoSettings::TavoSettings(const QString &filePath, QObject *parent)
    : QObject(parent), mPath(filePath) {
    load();
}

void TavoSettings::load() {
    if (!FileExists(mPath))
        return;
    const std::optional<QByteArray> bytes = ReadRegularFile(mPath, kMaxSupportFileBytes, nullptr);
    // An empty file holds nothing that could be lost.
    if (bytes && bytes->isEmpty())
        return;
    bool exact = true;
    const QVariant root = bytes ? ReadPropertyList(*bytes, &exact) : QVariant();
    if (root.typeId() == QMetaType::QVariantMap) {
        mDict = WithNames(root.toMap());
        if (exact)
            return;
    }
    mKeepPath = mPath;
    mKeepSuffix = root.typeId() == QMetaType::QVariantMap ? kOriginal : kUnreadable;
}

qint64 TavoSettings::integerSetting(const QString &key) const {
    const qint64 stored = IntegerForKey(mDict, key, kNotSet);
    if (stored != kNotSet)
        return stored;
    return IntegerValue(UserDefaultsValue(key));
}

qint64 TavoSettings::showPrefs() const {
    return integerSetting(kShowPrefs);
}

void TavoSettings::setShowPrefs(qint64 value) {
    mDict.insert(kShowPrefs, value);
}

qint64 TavoSettings::useDocPrefs() const {
    return integerSetting(kUseDocPrefs);
}

void TavoSettings::setUseDocPrefs(qint64 value) {
    mDict.insert(kUseDocPrefs, value);
}

qint64 TavoSettings::addSuffix() {
    if (const qint64 stored = IntegerForKey(mDict, kAddSuffix, kNotSet); stored != kNotSet)
        return stored;
    // Stored, so that the file says which way documents were renamed.
    const qint64 fallback = IntegerValue(UserDefaultsValue(kAddSuffix));
    setAddSuffix(fallback);
    return fallback;
}

void TavoSettings::setAddSuffix(qint64 value) {
    mDict.insert(kAddSuffix, value);
}

quint8 TavoSettings::visible() const {
    if (!mDict.contains(kVisible))
        return 1;
    return static_cast<quint8>(IntegerValue(mDict.value(kVisible)) & 0xFF);
}

void TavoSettings::setVisible(quint8 value) {
    mDict.insert(kVisible, qint64(value));
}

QVariant TavoSettings::value(const QString &key) {
    const auto it = mDict.constFind(key);
    if (it != mDict.constEnd())
        return *it;
    const QVariant fallback = UserDefaultsValue(key);
    setValue(key, fallback);
    return fallback;
}

void TavoSettings::setValue(const QString &key, const QVariant &value) {
    const bool absent =
        !value.isValid() || (value.typeId() == QMetaType::QString && value.toString().isNull());
    if (absent)
        mDict.remove(key);
    else
        mDict.insert(key, value);
    Q_EMIT valueChanged(key);
}

void TavoSettings::savePos(const QWidget *window) {
    mDict.insert(kPos, RectToString(window ? window->geometry() : QRect(0, 0, 0, 0)));
}

void TavoSettings::restorePos(QWidget *window) const {
    if (!window)
        return;
    const QVariant pos = mDict.value(kPos);
    if (pos.typeId() == QMetaType::QString && !pos.toString().isEmpty()) {
        QRect frame = RectFromString(pos.toString());
        const QRect screen = ScreenFrameAt(frame.topLeft());
        if (frame.topLeft() != QPoint(0, 0) && !screen.isEmpty()) {
            // A frame without area would leave the window invisible; one
            // larger than its screen is cut to it, whatever the file says.
            if (frame.width() <= 0 || frame.height() <= 0)
                frame.setSize(window->size());
            frame.setSize(frame.size().boundedTo(screen.size()));
            window->setGeometry(frame);
            return;
        }
    }
    Centre(window);
}

bool TavoSettings::save() {
    if (!mKeepPath.isNull() && mKeepPath == mPath && FileExists(mPath)) {
        const QString what = mKeepSuffix == kUnreadable
                                 ? QStringLiteral("could not be read")
                                 : QStringLiteral("holds values that cannot be saved as they are");
        QString error;
        const QString copy = KeepCopy(mPath, mKeepSuffix, &error);
        if (copy.isNull()) {
            LogFormat(QStringLiteral("The settings file %@ %@, and no copy of it could be kept "
                                     "(%@), so it was not overwritten"),
                      mPath, what, error);
            return false;
        }
        LogFormat(QStringLiteral("The settings file %@ %@; it was kept as %@"), mPath, what, copy);
    }
    mKeepPath.clear();
    QString error;
    if (WritePropertyListFile(mPath, NamesAsData(mDict), &error))
        return true;
    LogFormat(QStringLiteral("The settings could not be saved to %@: %@"), mPath, error);
    return false;
}

bool TavoSettings::open() const {
    return OpenItem(mPath);
}
