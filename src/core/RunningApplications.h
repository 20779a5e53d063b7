#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace Morvane {

/// Where the Linux process list and the launchers are read; tests point it at a
/// fake /proc and fake launcher folders.
struct ProcessSources {
    QString procRoot = QStringLiteral("/proc");
    QStringList launcherFolders; // searched for .desktop files, first wins per ID
    QString home;
    bool onlyOwnProcesses = true;
};

/// The default sources for the running user: their own launchers, then the system's
/// and Flatpak's.
[[nodiscard]] ProcessSources defaultProcessSources(const QString &home);

/// Identifiers of what runs now, from the process list. For each process, its
/// executable maps to: the identifier of the enclosing ".app" bundle; the desktop-file
/// ID of a launcher whose target is the executable, or whose own folder holds it (for
/// application folders, not shared folders like /usr/bin); a Flatpak process's app ID;
/// the AppImage it was started from. The executable's own name and, for
/// interpreters, the script's name are added too, so tools like "cargo" or "pip" count.
[[nodiscard]] QSet<QString> runningApplicationIDsFrom(const ProcessSources &sources);

/// The identifier of the ".app" bundle enclosing `executable`; empty when none.
[[nodiscard]] QString enclosingBundleIdentifier(const QString &executable);

} // namespace Morvane
