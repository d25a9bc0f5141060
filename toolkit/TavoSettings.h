// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>

class QWidget;

// Everything Tavo remembers between runs, in one dictionary that is read from
// ~/.config/Vellmoran/Tavo.plist when the store is made and written back only
// by save(). Where the dictionary has no value, reads fall back to the
// per-user defaults (see UserDefaults.h).
class TavoSettings : public QObject {
    Q_OBJECT

public:
    // The store of the user's settings file; creates its folder.
    explicit TavoSettings(QObject *parent = nullptr);
    // A store kept in another file.
    explicit TavoSettings(const QString &filePath, QObject *parent = nullptr);

    QString path() const { return mPath; }
    void setPath(const QString &path) { mPath = path; }
    QVariantMap dict() const { return mDict; }
    void setDict(const QVariantMap &dict) { mDict = dict; }

    // "ShowPrefs", "UseDocPrefs" and "AddSuffix": what is stored, unless that
    // is nothing or -1, which both mean not set and fall back to the defaults
    // (0 when they hold nothing). addSuffix() also stores what it fell back to.
    qint64 showPrefs() const;
    void setShowPrefs(qint64 value);
    qint64 useDocPrefs() const;
    void setUseDocPrefs(qint64 value);
    qint64 addSuffix();
    void setAddSuffix(qint64 value);
    // "visible": whether the panel was open at the last quit; 1 when unset.
    quint8 visible() const;
    void setVisible(quint8 value);

    // The value under `key`, or else the defaults' value, which is then
    // copied into the dictionary; invalid when neither has one.
    QVariant value(const QString &key);
    // An invalid value or an absent text removes the key.
    void setValue(const QString &key, const QVariant &value);

    // The window's frame as "Pos"; a null window stores an all-zero frame.
    void savePos(const QWidget *window);
    // Puts the window at "Pos" when its origin lies on some screen, and
    // centres it on its screen otherwise.
    void restorePos(QWidget *window) const;

    // Writes the dictionary as an XML property list, atomically; never one
    // that could not be read back. A file that could not be read at start is
    // first kept beside it, as Tavo.plist.unreadable (or .unreadable-2 and
    // on), and one that held values an XML list cannot hold as they were (see
    // ReadPropertyList) as Tavo.plist.original; when no copy can be kept,
    // nothing is written. False when the file was not written.
    bool save();
    // Shows the settings file in the application the desktop chooses for it.
    bool open() const;

Q_SIGNALS:
    // After every setValue, so that a window showing the key can follow.
    void valueChanged(const QString &key);

private:
    qint64 integerSetting(const QString &key) const;
    void load();

    QString mPath;
    QVariantMap mDict;
    // The file whose bytes are to be kept before it is overwritten, until
    // they are, and the suffix of the copy.
    QString mKeepPath;
    QString mKeepSuffix;
};

// The one store of the process; set at start-up and kept until the end.
extern TavoSettings *gSettings;
