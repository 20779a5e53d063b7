#pragma once

#include "core/Enums.h"
#include "core/Records.h"

#include <QByteArrayView>

namespace Morvane {

// One table of file extensions decides the type classes of the large-files filter and
// what counts as an installer. Names are raw file-system bytes; the extension match
// ignores ASCII case (".DMG", ".AppImage" and ".appimage" are the same).

/// The class of a file by its name; `all` when the extension is unknown or absent.
/// Installers and disk images are in `archives` ("archives and installers").
[[nodiscard]] FileTypeFilter fileTypeOfName(QByteArrayView name);

/// True for installer and disk-image names: macOS .dmg .pkg .mpkg .xip; Linux .deb
/// .rpm .AppImage .flatpak .flatpakref .snap .run; and the ones people download for
/// other systems, .msi .exe .apk .iso.
[[nodiscard]] bool isInstallerName(QByteArrayView name);

/// True for a folder name that, on `platform`'s rule set, is one installer: macOS
/// bundle packages (".pkg" and ".mpkg" folders). The installers scan lists such a
/// folder as one item and never looks inside it. No Linux rule lists one.
[[nodiscard]] bool isInstallerBundleName(QByteArrayView name, RulePlatform platform);

/// How many leading bytes `fileTypeOfContent` looks at.
inline constexpr int fileTypeSniffBytes = 512;

/// The class recognised from the first bytes of a file (its "magic"); `all` when
/// nothing is recognised. Only used for names without a known extension, so that a
/// type filter does not cost a read for every file.
[[nodiscard]] FileTypeFilter fileTypeOfContent(QByteArrayView head);

/// True when a file of that name belongs to `filter`; `sniff` is called (at most once)
/// only when the name alone cannot tell, and returns the file's first bytes.
template <typename Sniff> [[nodiscard]] bool fileMatchesType(FileTypeFilter filter, QByteArrayView name, Sniff &&sniff)
{
    if (filter == FileTypeFilter::all)
        return true;
    const FileTypeFilter byName = fileTypeOfName(name);
    if (byName != FileTypeFilter::all)
        return byName == filter;
    return fileTypeOfContent(sniff()) == filter;
}

} // namespace Morvane
