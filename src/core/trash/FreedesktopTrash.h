#pragma once

#include "core/trash/OsCalls.h"
#include "core/trash/Trash.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

namespace Morvane {

/// The freedesktop.org Trash, on exact byte paths.
///
/// An item on the file system of the home trash ($XDG_DATA_HOME/Trash, created when
/// missing) goes there with an absolute `Path=`. An item on another file system goes
/// to that volume's trash: `$topdir/.Trash/$uid` when `$topdir/.Trash` is a real
/// folder with the sticky bit, else `$topdir/.Trash-$uid` (created with mode 0700),
/// with `Path=` relative to the top directory; when neither can be used the item
/// stays. The .trashinfo is created first and exclusively (that reserves the name),
/// then the item is renamed into `files/` without replacing anything; a failed
/// rename removes the info file again. Nothing is ever copied or deleted.
class FreedesktopTrash {
public:
    /// `homeTrash` empty means the user's home trash, read from the environment at
    /// each move. The table must outlive the object.
    explicit FreedesktopTrash(const OsCalls &os = OsCalls::system(), QString homeTrash = {});

    /// Moves one item (a file, folder or symbolic link itself) to its trash. Blocks.
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

    bool ensureFolderChain(const QByteArray &path, Failure &failure, int depth = 0) const;
    bool ensurePrivateFolder(const QByteArray &path, bool checkOwner, Failure &failure) const;
    bool prepareTrash(const QByteArray &root, bool checkOwner, Failure &failure) const;
    [[nodiscard]] QByteArray topDirectory(const QByteArray &realFolder, dev_t device) const;
    TrashOutcome place(
        const QByteArray &trash, const QByteArray &item, const QByteArray &pathField, bool isFolder) const;
    [[nodiscard]] QString updateDirectorySizes(const QByteArray &trash, const QByteArray &name) const;

    const OsCalls &m_os;
    QString m_homeTrash;
};

} // namespace Morvane
