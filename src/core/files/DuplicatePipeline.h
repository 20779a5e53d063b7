#pragma once

#include "core/Errors.h"
#include "core/Records.h"

#include <QByteArray>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace Morvane {

/// A regular file as the walk saw it; `identity` is fingerprintFromStat of its lstat.
struct DuplicateCandidate {
    QByteArray path; // raw file-system bytes
    Fingerprint identity;
};

/// The regular files a walk found, held compactly for large trees: each folder's path
/// once, each file's name in one shared block of bytes, and per file only what the
/// search compares and the clean-up checks again (40 bytes and the name). Files added
/// one after another from one folder share its path; files are kept in the order they
/// were added, so neighbours in index order mostly share a folder. Not thread-safe:
/// give each walker thread its own and join them with `append`.
class DuplicateCandidates {
public:
    /// `path` is the file's absolute path in raw bytes; `identity` its lstat fingerprint.
    void add(std::string_view path, const Fingerprint &identity);
    /// Moves every file of `other` to the end of this list, and empties `other`.
    void append(DuplicateCandidates &&other);
    void reserve(std::size_t files, std::size_t nameBytes);

    [[nodiscard]] std::size_t size() const { return m_files.size(); }
    [[nodiscard]] std::size_t nameBytes() const { return m_names.size(); }
    [[nodiscard]] QByteArray path(std::size_t i) const;
    [[nodiscard]] Fingerprint identity(std::size_t i) const
    {
        const File &f = m_files[i];
        Fingerprint out;
        out.device = m_folders[f.folder].device;
        out.inode = f.inode;
        out.size = f.size;
        out.modifiedNs = f.modifiedNs;
        out.changedNs = f.changedNs;
        return out;
    }
    [[nodiscard]] std::int64_t fileSize(std::size_t i) const { return m_files[i].size; }
    /// The file's folder ("" for the file system root) and name, NUL-terminated.
    [[nodiscard]] const char *folder(std::size_t i) const { return m_folders[m_files[i].folder].path.c_str(); }
    [[nodiscard]] std::uint32_t folderIndex(std::size_t i) const { return m_files[i].folder; }
    [[nodiscard]] const char *name(std::size_t i) const
    {
        return m_names.data() + m_folders[m_files[i].folder].names + m_files[i].name;
    }

private:
    struct Folder {
        std::string path;
        std::uint64_t device;
        std::size_t names; // where this folder's names start in m_names
    };
    struct File {
        std::uint64_t inode;
        std::int64_t size;
        std::int64_t modifiedNs;
        std::int64_t changedNs;
        std::uint32_t folder;
        std::uint32_t name; // offset from the folder's first name
    };
    static_assert(sizeof(File) == 40);

    std::vector<Folder> m_folders;
    std::vector<File> m_files;
    std::string m_names; // NUL-terminated names, folder after folder
};

/// The stages of the duplicate search, by rising I/O cost.
enum class DuplicateStage : std::uint8_t {
    size = 0, // same size, empty files dropped
    hardLinks = 1, // one path per device and inode
    head = 2, // hash of the first block
    tail = 3, // hash of the last block
    content = 4, // streaming hash of the whole file
};

/// Bytes hashed by the head and tail stages. A file of at most two blocks is fully
/// compared once both agree, so it never needs the content stage.
inline constexpr std::int64_t duplicateBlockBytes = 16 * 1024;

/// The OS calls through which the pipeline opens files for reading; tests replace
/// them to exercise failures that root would not see. Files are opened relative to
/// their folder, which is opened once for all its files (a deep path costs a lookup
/// per component on every open).
struct ContentReadOps {
    /// A descriptor of a folder to open files in, or -1 with errno set.
    std::function<int(const char *folder)> openFolder;
    /// A read-only descriptor of `name` in `folderFd` (AT_FDCWD with a full path when
    /// the folder could not be opened) that does not follow a final symbolic link, or
    /// -1 with errno set.
    std::function<int(int folderFd, const char *name)> openFile;
};

[[nodiscard]] ContentReadOps defaultContentReadOps();

struct DuplicateOptions {
    /// At most this many bytes of file content are read in all stages together.
    std::int64_t contentReadLimit = std::int64_t(2) * 1000 * 1000 * 1000;
    /// Reader threads; 0 picks a number from the hardware (at least two).
    int readerThreads = 0;
    ContentReadOps ops = defaultContentReadOps();
    /// Called after each stage with its survivors (tests change files here).
    std::function<void(DuplicateStage)> afterStage;
    /// Sampled progress: the stage and how many of its files are done.
    std::function<void(DuplicateStage, std::int64_t done, std::int64_t total)> progress;
    const CancellationToken *cancel = nullptr;
    /// The scan's time budget: no file is read after it; what is left counts as
    /// unchecked, like files beyond the content bound.
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
};

/// Survivors of one stage, for the log and the tests.
struct DuplicateStageLog {
    DuplicateStage stage = DuplicateStage::size;
    std::int64_t groups = 0;
    std::int64_t files = 0;
    std::int64_t bytesRead = 0;
};

struct DuplicateOutcome {
    /// Sets of files with identical content, each sorted by path, in no set order.
    std::vector<std::vector<DuplicateCandidate>> groups;
    std::int64_t emptyFiles = 0;
    std::int64_t hardLinkCopies = 0; // extra paths of an inode already in the search
    std::int64_t changedFiles = 0; // changed between the walk and a read
    std::int64_t vanishedFiles = 0; // gone before a read
    std::int64_t unreadableFiles = 0; // could not be opened or read
    std::int64_t bytesRead = 0;
    /// Files, and their bytes, that might have copies but were not compared because
    /// the content bound was reached.
    std::int64_t uncheckedFiles = 0;
    std::int64_t uncheckedBytes = 0;
    /// True when the deadline passed; the files not compared by then are counted in
    /// `uncheckedFiles` and `uncheckedBytes` too.
    bool timedOut = false;
    std::vector<DuplicateStageLog> stages;
};

/// Finds the sets of files with identical content among `candidates` (regular files,
/// any order). Every stage maps groups to groups and drops singletons. Reads with
/// several threads and blocks the caller; throws CancellationError once `cancel` is
/// set. A file that fails to open or read, or that changed since the walk, leaves the
/// search and is counted; it is never reported as a duplicate.
[[nodiscard]] DuplicateOutcome findDuplicates(DuplicateCandidates candidates, const DuplicateOptions &options);

/// The same for a plain list of files.
[[nodiscard]] DuplicateOutcome findDuplicates(
    const std::vector<DuplicateCandidate> &candidates, const DuplicateOptions &options);

} // namespace Morvane
