#include "platform/DesktopLauncher.h"

#include "platform/DesktopEntry.h"

#include <QProcess>

#include <utility>

namespace {

DesktopLauncher &InstalledLauncher() {
    static DesktopLauncher launcher = StartDesktopEntry;
    return launcher;
}

} // namespace

DesktopLauncher SetDesktopLauncher(DesktopLauncher launcher) {
    if (!launcher)
        launcher = StartDesktopEntry;
    return std::exchange(InstalledLauncher(), std::move(launcher));
}

bool LaunchDesktopEntry(const QString &entryPath, const QStringList &files, bool deactivate) {
    return InstalledLauncher()(entryPath, files, deactivate);
}

bool StartDesktopEntry(const QString &entryPath, const QStringList &files, bool /*deactivate*/) {
    const std::optional<DesktopEntry> entry = DesktopEntry::load(entryPath);
    if (!entry || !entry->isLaunchable())
        return false;
    QStringList command = entry->command(files);
    if (command.isEmpty())
        return false;
    const QString program = command.takeFirst();
    return QProcess::startDetached(program, command, entry->workingFolder());
}
