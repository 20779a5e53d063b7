#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace Morvane {

/// The parts of a freedesktop launcher (.desktop file) the scans read.
struct DesktopLauncher {
    QString id;       // desktop-file ID: the path below the applications folder, "/" → "-", without ".desktop"
    QString path;     // the launcher file
    QString name;
    QString exec;     // the Exec line as written
    QString icon;
    QString target;   // the Exec program: absolute when given so or found on PATH; empty when unknown
    QString flatpakID; // for "flatpak run … ID" launchers
    bool hidden = false;
};

/// Parses the [Desktop Entry] group of a launcher; none when it cannot be read or has
/// no such group. `pathDirs` is where a bare program name is looked up.
[[nodiscard]] std::optional<DesktopLauncher> readDesktopLauncher(const QString &path, const QString &id,
                                                                 const QStringList &pathDirs);

/// Every launcher below `folder` (subfolders included, as the ID rules say).
[[nodiscard]] QList<DesktopLauncher> readDesktopLaunchers(const QString &folder, const QStringList &pathDirs,
                                                          bool *readable = nullptr);

/// The program of an Exec line: the first word, unquoted, after "env VAR=…" prefixes.
[[nodiscard]] QString execProgram(const QString &exec);

/// PATH split into folders (with a sensible default when PATH is unset).
[[nodiscard]] QStringList searchPath(const QString &home);

} // namespace Morvane
