#pragma once

#include "core/trash/OsCalls.h"
#include "core/trash/Trash.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

namespace Morvane {

/// The freedesktop.org Trash, by handle on exact byte paths.
///
/// The home trash ($XDG_DATA_HOME/Trash, created when missing; the folders above it
/// may be links, the Trash and its `files` and `info` must be real folders on one file
/// system) takes every item on its file system, with an absolute `Path=`. An item on
/// the file system of the home folder that the home trash cannot take stays where it
/// is, with the reason: it never goes to a trash at the top of that file system
/// instead. An item on another mounted file system goes to that volume's trash:
/// `$topdir/.Trash/$uid` when `$topdir/.Trash` is a real folder with the sticky bit,
/// else `$topdir/.Trash-$uid` (created with mode 0700), each the user's own, with
/// `Path=` relative to the top directory; when neither can be used the item stays.
///
/// Every trash folder is opened once, by handle, after its own checks. The .trashinfo
/// is created first and exclusively (that reserves the name), then the item is renamed
/// from its folder handle into `files/` without replacing anything; a failed rename
/// removes the info file again. Should another object have taken the item's name in
/// the instant before the rename, it is put back and the item reported as not moved.
/// Nothing is ever copied or deleted.
class FreedesktopTrash {
public:
    /// `homeTrash` empty means the user's home trash, read from the environment at
    /// each move; `home` empty means $HOME. The table must outlive the object.
    explicit FreedesktopTrash(const OsCalls &os = OsCalls::system(), QString homeTrash = {}, QString home = {});

    /// Moves one judged item (a file, folder or symbolic link itself) to its trash. Blocks.
    [[nodiscard]] TrashOutcome moveToTrash(const TrashItem &item) const;

    /// Moves the item at an absolute path: the folders above it are opened as the
    /// system resolves them, the item itself is never followed. Blocks.
    [[nodiscard]] TrashOutcome moveToTrash(const QString &path) const;

    /// The home trash folder this object uses.
    [[nodiscard]] QString homeTrash() const;

    /// $XDG_DATA_HOME/Trash, or ~/.local/share/Trash when XDG_DATA_HOME is unset or
    /// not absolute.
    [[nodiscard]] static QString defaultHomeTrash();

    /// `Path=` value: every byte percent-encoded except ASCII letters, digits,
    /// "-_.~" and "/".
    [[nodiscard]] static QByteArray encodePath(QByteArrayView bytes);

    /// The whole .trashinfo text for an encoded-to-be path and a local time.
    [[nodiscard]] static QByteArray infoContents(QByteArrayView originalPath, const QDateTime &deletedAt);

private:
    struct Failure;
    struct Folders;

    [[nodiscard]] int openFolderChainCreating(const QByteArray &path, Failure &failure, int depth = 0) const;
    [[nodiscard]] int openRealFolder(
        int parent, const QByteArray &name, const QByteArray &shown, bool create, Failure &failure) const;
    bool openTrash(int parent, const QByteArray &name, const QByteArray &path, bool checkOwner, Folders &folders,
        Failure &failure) const;
    TrashOutcome moveToVolumeTrash(const TrashItem &item) const;
    TrashOutcome place(const Folders &trash, const TrashItem &item, const QByteArray &pathField, bool isFolder) const;
    [[nodiscard]] QString updateDirectorySizes(const Folders &trash, const QByteArray &name) const;

    const OsCalls &m_os;
    QString m_homeTrash;
    QString m_home;
};

} // namespace Morvane
