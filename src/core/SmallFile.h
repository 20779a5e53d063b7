#pragma once

#include "core/Posix.h"

#include <QByteArray>
#include <QString>

#include <fcntl.h>

#include <cstdint>
#include <optional>

namespace Morvane {

// The one reader of whole small files (store files, launchers, property lists, icons,
// /proc entries, file heads). Every open is O_NONBLOCK (a FIFO, or a device planted
// under an expected name, never blocks the reader), the descriptor is checked with
// fstat to be a regular file, and at most a bound is read whatever the file claims
// (a /proc entry says size 0; a file may grow while it is read).

enum class FinalLink { follow, refuse };

/// Why a bounded read gave no content.
enum class ReadFailure : std::uint8_t {
    none,
    missing, // nothing at the path (or a folder on the way is missing)
    notRegular, // a folder, FIFO, socket, device, or a link where none is expected
    tooLarge, // more than the bound
    unreadable, // no permission, or the system failed the call
};

struct BoundedRead {
    QByteArray data;
    ReadFailure failure = ReadFailure::none;
    int error = 0; // errno of the failing call, 0 when no call failed
    [[nodiscard]] bool ok() const { return failure == ReadFailure::none; }
};

struct ReadBound {
    qint64 limit = 0; // bytes
    FinalLink link = FinalLink::refuse;
    /// A longer file gives its first `limit` bytes instead of failing (file heads,
    /// /proc entries whose length is not known beforehand).
    bool keepPrefix = false;
};

/// Reads the file at the exact path bytes (relative to `folderFd` when given).
[[nodiscard]] BoundedRead readBounded(const QByteArray &path, const ReadBound &bound, int folderFd = AT_FDCWD);

/// Reads from a descriptor already opened (O_NONBLOCK) by the caller, who walked to it
/// by handle; the descriptor is closed.
[[nodiscard]] BoundedRead readBounded(UniqueFd fd, const ReadBound &bound);

/// The whole content of a regular file of at most `limit` bytes; none when it cannot
/// be opened, is not a regular file, is larger, or could not be read in full.
[[nodiscard]] std::optional<QByteArray> readSmallRegularFile(const QString &path, qint64 limit, FinalLink link);

/// The first `bytes` bytes of a regular file (fewer when it is shorter); empty when it
/// is not a regular file or cannot be read. A final link is never followed.
[[nodiscard]] QByteArray readFileHead(const QByteArray &path, qint64 bytes);

} // namespace Morvane
