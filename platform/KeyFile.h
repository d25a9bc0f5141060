#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The freedesktop key-file format (desktop entries, mimeapps.list,
// mimeinfo.cache). QSettings is no help here: it rewrites keys such as
// "Name[de]" and treats commas and quotes its own way.
class KeyFile {
public:
    // An unreadable or missing file reads as one without groups.
    static KeyFile read(const QString &path);
    static KeyFile parse(const QByteArray &bytes);

    bool hasGroup(const QString &group) const { return mGroups.contains(group); }
    // The raw value as written; absent when the group or the key is missing.
    QString value(const QString &group, const QString &key) const;
    // A string value with its escapes (\s \n \t \r \\) resolved.
    QString string(const QString &group, const QString &key) const;
    // A ";"-separated list; "\;" stands for a semicolon inside an item.
    QStringList list(const QString &group, const QString &key) const;
    bool boolean(const QString &group, const QString &key) const;
    QStringList keys(const QString &group) const { return mGroups.value(group).keys(); }

private:
    QMap<QString, QMap<QString, QString>> mGroups;
};
