#pragma once

#include "app/LocalPreferences.h"
#include "core/Records.h"
#include "core/UserFolders.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace Varnoll {

// The application's own files, on exact path bytes (a home folder whose name is not
// UTF-8 works like any other). They list every path the user ever trashed, so the
// folder is private (0700, as the XDG data folder) and so are the files (0600).

/// Where the application keeps its own files: in `home` on macOS, in the data folder
/// of the XDG base directories on Linux.
[[nodiscard]] QString defaultStoreFolder(const QString &home, const Morvane::BaseDirectories &bases = {});

/// Bounds of what is read: far above what the application writes (a full history of
/// 100 clean-ups of 5,000 items is about 150 MB), far below what would exhaust memory.
inline constexpr qint64 preferencesFileLimit = qint64(64) * 1024 * 1024;
inline constexpr qint64 historyFileLimit = qint64(256) * 1024 * 1024;

/// What reading one store file came to.
struct StoreFileRead {
    enum class State { missing, read, unreadable };
    State state = State::missing;
    QByteArray data; // when read
    QString reason; // when unreadable: a short Chinese reason
};

/// Reads a whole store file without blocking (a FIFO or a device is unreadable, not a
/// hang) and without following a final symbolic link.
[[nodiscard]] StoreFileRead readStoreFile(const QString &path, qint64 limit);

/// Creates the folder and every missing parent with mode 0700; existing folders are
/// left as they are. Returns a short Chinese reason on failure.
[[nodiscard]] std::optional<QString> ensureFolder(const QString &path);

/// Replaces the file atomically: a new file (mode 0600) is written and synced in the
/// same folder, then renamed over the old one. Returns a short Chinese reason on
/// failure; the old file is then untouched.
[[nodiscard]] std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &contents);

/// The outcome of setting a file aside.
struct SetAside {
    QString name; // the new name, in the same folder, when it moved
    QString reason; // a short Chinese reason when it did not
};

/// Renames the file at `path` to "<name>.unreadable-YYYYMMDD-HHMM" (with "-2", "-3"…
/// when that name is taken), never replacing anything. Nothing there is no failure
/// (the name is then empty).
[[nodiscard]] SetAside setFileAside(const QString &path, const QDateTime &now);

/// The history as the model loads it: at most `keep` records; `complete` false when the
/// file held more, or held something that did not decode, or could not be read at all
/// (then it must be set aside before it is written over). Blocks: run it off the UI
/// thread.
struct LoadedHistory {
    QList<Morvane::CleanupRecord> records;
    bool complete = true;
};
[[nodiscard]] LoadedHistory loadHistory(const QString &path, qsizetype keep);

/// Everything one save writes, copied on the UI thread.
struct StoreSnapshot {
    QString folder;
    LocalPreferences preferences;
    QList<Morvane::CleanupRecord> records;
    bool setAsidePreferences = false; // the file there failed to load: keep it first
    bool setAsideHistory = false;
    QDateTime now;
};

struct StoreSaveOutcome {
    std::optional<QString> error; // "本地记录未能保存：" and the reason
    bool preferencesSetAside = false;
    bool historySetAside = false;
    QStringList notes; // one line per file set aside, saying where it went
};

/// Creates the folder, then writes "preferences.json" and "history.json" in this order,
/// each set aside first when asked; stops at the first failure (nothing later is
/// written, and a file that could not be set aside is not written over). Blocks: run
/// it off the UI thread, one save at a time.
[[nodiscard]] StoreSaveOutcome saveStore(const StoreSnapshot &snapshot, const QString &home);

} // namespace Varnoll
