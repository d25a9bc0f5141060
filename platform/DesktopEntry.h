#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// One application's desktop entry (a .desktop file), as far as opening files
// with it goes.
class DesktopEntry {
public:
    // Absent when the file is missing or has no [Desktop Entry] group.
    static std::optional<DesktopEntry> load(const QString &path);

    const QString &path() const { return mPath; }
    const QString &name() const { return mName; }
    const QStringList &mimeTypes() const { return mMimeTypes; }
    // Hidden entries are deleted ones; an entry without Exec cannot be started.
    bool isLaunchable() const;
    bool runsInTerminal() const { return mTerminal; }
    // Absent when the entry sets no working folder.
    const QString &workingFolder() const { return mWorkingFolder; }

    // The program and its arguments that open `files`: the Exec line split by
    // the desktop's quoting rules, with its field codes filled in. Files go
    // where %f %F %u %U stand, or after the arguments when none does, so an
    // entry that forgets the code still gets the file. Empty without Exec.
    QStringList command(const QStringList &files) const;

private:
    QString mPath;
    QString mType;
    QString mName;
    QString mIcon;
    QString mExec;
    QString mWorkingFolder;
    QStringList mMimeTypes;
    bool mHidden = false;
    bool mTerminal = false;
};
