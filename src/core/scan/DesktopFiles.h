#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace Morvane {

/// The keys of a launcher's [Desktop Entry] group that the application reads (the
/// unlocalised ones: "Icon[de]=" is not "Icon=").
struct DesktopEntry {
    QString name;
    QString exec; // the Exec line as written
    QString icon;
    QString flatpakID; // X-Flatpak
    bool hidden = false; // Hidden or NoDisplay
};

/// Launcher files are read at most this large (through the bounded reader; they may be links).
inline constexpr qint64 desktopFileLimit = 1024 * 1024;

/// The one parser of launcher files: the [Desktop Entry] group of `contents`; none when
/// there is no such group. Other groups ("[Desktop Action …]") and comments are skipped.
[[nodiscard]] std::optional<DesktopEntry> parseDesktopEntry(const QByteArray &contents);

/// The launcher file at `path` read (bounded, a link followed) and parsed; none when it
/// cannot be read or has no [Desktop Entry] group.
[[nodiscard]] std::optional<DesktopEntry> readDesktopEntry(const QString &path);

/// The parts of a freedesktop launcher (.desktop file) the scans read.
struct DesktopLauncher {
    QString id; // desktop-file ID: the path below the applications folder, "/" → "-", without ".desktop"
    QString path; // the launcher file
    QString name;
    QString exec; // the Exec line as written
    QString icon;
    QString target; // the Exec program: absolute when given so or found on PATH; empty when unknown
    QString flatpakID; // for "flatpak run … ID" launchers
    bool hidden = false;
};

/// Parses the [Desktop Entry] group of a launcher; none when it cannot be read or has
/// no such group. `pathDirs` is where a bare program name is looked up.
[[nodiscard]] std::optional<DesktopLauncher> readDesktopLauncher(
    const QString &path, const QString &id, const QStringList &pathDirs);

/// Every launcher below `folder` (subfolders included, as the ID rules say).
[[nodiscard]] QList<DesktopLauncher> readDesktopLaunchers(
    const QString &folder, const QStringList &pathDirs, bool *readable = nullptr);

/// The program of an Exec line: the first word, unquoted, after "env VAR=…" prefixes.
[[nodiscard]] QString execProgram(const QString &exec);

/// PATH split into folders (with a sensible default when PATH is unset).
[[nodiscard]] QStringList searchPath(const QString &home);

} // namespace Morvane
