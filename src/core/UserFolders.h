#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace Morvane {

/// The user's XDG base directories as the environment sets them. A field holds the
/// variable's value when it is an absolute path and is empty otherwise: unset, empty
/// and relative values are ignored, as the base-directory convention says.
struct BaseDirectories {
    QString cacheHome; // XDG_CACHE_HOME
    QString configHome; // XDG_CONFIG_HOME
    QString dataHome; // XDG_DATA_HOME
    QString stateHome; // XDG_STATE_HOME

    friend bool operator==(const BaseDirectories &, const BaseDirectories &) = default;
};

enum class BaseDirectory : std::uint8_t { cache, config, data, state };

/// The value of an environment variable that names a folder, lexically normal; empty
/// when it is unset or not an absolute path.
[[nodiscard]] QString absolutePathVariable(const char *name);

/// The base directories of this process's environment.
[[nodiscard]] BaseDirectories environmentBaseDirectories();

/// Where the base directory lies when no variable moves it: ".cache", ".config",
/// ".local/share" or ".local/state" inside the home folder.
[[nodiscard]] QString defaultBaseLocation(BaseDirectory which);

/// The one folder a base directory names: the variable's value, else the default
/// inside `home`.
[[nodiscard]] QString baseFolder(const BaseDirectories &bases, BaseDirectory which, const QString &home);

/// The folders to look in for one base directory: the variable's value first, then
/// the default inside `home` when it is another folder. Programs that ran before the
/// variable was set (or without it) keep writing to the default.
[[nodiscard]] QStringList baseFolders(const BaseDirectories &bases, BaseDirectory which, const QString &home);

/// The value of one `XDG_<key>_DIR` line of a user-dirs.dirs file: "$HOME/…" becomes
/// a folder inside `home`, an absolute path stays; none when the key is missing, the
/// value is neither, or it names the home folder itself (xdg-user-dirs' way of
/// turning a folder off).
[[nodiscard]] std::optional<QString> userDirFromFile(QByteArrayView contents, QByteArrayView key, const QString &home);

/// The user's download folder as xdg-user-dirs names it (XDG_DOWNLOAD_DIR in
/// "user-dirs.dirs" of the configuration folder); "Downloads" inside `home` when the
/// file names none. Reads one small file.
[[nodiscard]] QString userDownloadFolder(const QString &home, const BaseDirectories &bases);

} // namespace Morvane
