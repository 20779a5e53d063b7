#pragma once

#include "core/Records.h"

#include <QString>
#include <QStringList>

namespace Morvane {

/// Where the Linux applications scan looks, as data: the scan reads it, and so do the
/// texts that tell the user what the scan covers.
struct LinuxApplicationPlaces {
    QStringList applicationFolders; // AppImages and application folders, all inside the home folder
    QStringList launcherFolders; // "applications" of each data folder
    QStringList iconFolders; // "icons" of each data folder
    QStringList associatedFolders; // where an application's own "<ID>" is matched exactly
    QString flatpakDataFolder; // ~/.var/app: one folder per Flatpak application ID
};

[[nodiscard]] LinuxApplicationPlaces linuxApplicationPlaces(
    const QString &home, const BaseDirectories &bases, const QStringList &applicationDirectories);

/// What the Linux applications scan covers, as people read it (no "范围：" before it).
[[nodiscard]] QString describeLinuxApplicationScope(const LinuxApplicationPlaces &places, const QString &home);

/// The Flatpak installation folders an application may be installed in: the
/// configuration's list, or by default the user's ("flatpak" in each data folder,
/// FLATPAK_USER_DIR), the system's (/var/lib/flatpak, FLATPAK_SYSTEM_DIR) and those
/// /etc/flatpak/installations.d adds.
[[nodiscard]] QStringList flatpakInstallations(const ScanConfiguration &configuration);

/// True for a well-formed Flatpak application ID: three or more dot-separated parts
/// of letters, digits, "_" and "-", none starting with a digit.
[[nodiscard]] bool isFlatpakApplicationID(const QString &name);

} // namespace Morvane
