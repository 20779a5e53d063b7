#pragma once

#include "core/Records.h"
#include "core/walk/Walker.h"

#include <QByteArrayView>

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Morvane {

/// Everything one space scan measured, kept whole so that any folder inside it can be
/// shown again without walking it a second time.
///
/// Compact: one 56-byte node per entry and no string per entry. Names lie in one
/// arena; the children of a folder are one contiguous index range, ordered as the page
/// lists them (largest first, then by name bytes). A node's `bytes` is the logical
/// size of the entry and everything below it, counted as `du -sbl` counts: apparent
/// sizes of files, folders and link names, a hard link once in every place it appears.
///
/// Threads: built on the scan's worker; once handed over it belongs to the UI thread,
/// where `exclude` changes it in place.
class SpaceTree : public std::enable_shared_from_this<SpaceTree> {
public:
    using Index = std::uint32_t;
    static constexpr Index none = 0xFFFFFFFFu;
    static constexpr Index rootIndex = 0;

    enum class Type : std::uint8_t { file = 0, folder = 1, symlink = 2 };

    enum Flag : std::uint8_t {
        entered = 1, // a folder whose listing began: its children are here, perhaps not all
        listed = 2, // a folder whose listing ran to its end
        complete = 4, // everything below was counted (files and links always)
        mountPoint = 8, // another file system's mount point, never entered
        unreadable = 16, // a folder that could not be opened, was replaced, or failed to list
        cut = 32, // a budget left this folder, or one below it, not fully listed
        nameGap = 64, // a name in this folder could not be examined
        excluded = 128, // ignored after the scan: no longer listed or counted
    };

    struct Node {
        std::int64_t bytes = 0;
        std::uint64_t inode = 0;
        std::int64_t modifiedNs = 0;
        std::int64_t changedNs = 0;
        std::uint32_t nameRef = 0; // arena chunk (high 14 bits) and offset (low 18 bits)
        Index parent = none;
        Index firstChild = 0;
        std::uint32_t childCount = 0;
        std::uint32_t descendants = 0; // entries below, at any depth
        std::uint16_t nameLength = 0;
        std::uint8_t typeBits = 0; // Type in bits 0-1, a file's FileTypeFilter class in bits 2-4
        std::uint8_t flags = 0;

        [[nodiscard]] Type type() const { return Type(typeBits & 3); }
        [[nodiscard]] bool isFolder() const { return type() == Type::folder; }
        [[nodiscard]] FileTypeFilter fileClass() const { return FileTypeFilter((typeBits >> 2) & 7); }
        [[nodiscard]] bool has(Flag flag) const { return (flags & flag) != 0; }
    };

    /// What the walk left out, kept per place so that each folder's notes can tell.
    enum class ProblemKind : std::uint8_t {
        unreadableFolder,
        unreadableEntry,
        otherFileSystem,
        changed,
        loop,
        ignored,
    };
    struct Problem {
        Index node; // the folder concerned (a name's folder for unreadableEntry and ignored)
        ProblemKind kind;
        int error = 0;
    };

    /// The scan as a whole.
    struct Facts {
        QString root; // the scanned folder, lexically normal
        QString home; // for "~" in notes
        QDateTime date;
        int visitLimit = 0;
        double timeLimit = 0;
        WalkStop stop = WalkStop::none;
        std::int64_t specialSkipped = 0; // the walker counts these for the whole walk only
        std::int64_t datalessSkipped = 0;
        std::int64_t trashFolders = 0; // Trash folders left out, and the first few of them
        QStringList trashSamples;
        std::uint64_t device = 0;
    };

    [[nodiscard]] Index size() const { return Index(m_nodes.size()); }
    [[nodiscard]] const Node &node(Index i) const { return m_nodes[i]; }
    [[nodiscard]] QByteArrayView name(Index i) const;
    [[nodiscard]] const Facts &facts() const { return m_facts; }
    [[nodiscard]] const std::vector<Problem> &problems() const { return m_problems; }
    /// The absolute path of a node (lossless, see Paths.h).
    [[nodiscard]] QString path(Index i) const;
    /// The node at `path`; none when it is not in the tree or excluded.
    [[nodiscard]] Index find(const QString &path) const;
    /// True when `i` is `ancestor` or lies below it.
    [[nodiscard]] bool isWithin(Index i, Index ancestor) const;
    /// A folder whose listing began and that is still counted: it can be shown from
    /// the tree. Other folders (mount points, unreadable, never reached) need a scan.
    [[nodiscard]] bool canShow(Index i) const;
    /// The children still counted, as the page lists them: largest first, then by name.
    [[nodiscard]] std::vector<Index> children(Index folder) const;
    /// The folder as a space scan of it would report it: its children as entries
    /// (links left out and counted in a note), coverage and scope notes for what lies
    /// below it, and this tree. `folder` must satisfy `canShow`.
    [[nodiscard]] ScanResult level(Index folder) const;
    /// The entry a page shows for node `i`, with an id that stays the same for the node.
    [[nodiscard]] FileEntry entry(Index i) const;
    /// Takes `i` and everything below it out of the counts (an ignored path): every
    /// folder above it shrinks by its size. No node moves. UI thread.
    void exclude(Index i);
    /// Bytes held by the nodes, the names and the problem list.
    [[nodiscard]] std::size_t memoryBytes() const;

private:
    friend class SpaceTreeBuilder;
    SpaceTree() = default;

    [[nodiscard]] FileEntry entry(Index i, const QByteArray &folderPath, const QString &scope) const;
    [[nodiscard]] WalkReport reportBelow(Index folder, std::int64_t *ignoredHits) const;
    [[nodiscard]] bool isCounted(Index i) const;
    void refreshFlags(Index folder);
    /// `complete` and `cut` of a folder from its own flags and its children's.
    [[nodiscard]] static std::uint8_t folderState(std::uint8_t own, bool childIncomplete, bool childCut);

    std::vector<Node> m_nodes;
    std::vector<std::unique_ptr<char[]>> m_nameChunks;
    std::size_t m_nameBytes = 0;
    std::vector<Problem> m_problems;
    std::vector<std::pair<Index, std::uint64_t>> m_mountDevices; // sorted by node
    std::vector<std::pair<Index, QString>> m_trash; // a Trash folder left out, by the folder it lies in
    Facts m_facts;
    QUuid m_idBase;
};

/// Collects the entries of one walk into a SpaceTree. `add` may be called from the
/// walk's worker threads at once, each with its own `worker` number; a folder must be
/// added before anything inside it (the walker visits in that order). Everything else
/// is thread-safe.
class SpaceTreeBuilder {
public:
    using Folder = std::uint32_t; // a folder's number in the order folders were added
    static constexpr Folder rootFolder = 0;
    static constexpr Folder noFolder = 0xFFFFFFFFu;

    explicit SpaceTreeBuilder(int workers);
    ~SpaceTreeBuilder();

    /// Adds one entry below folder `parent`; returns the new folder's number for a
    /// folder, noFolder otherwise.
    Folder add(int worker, Folder parent, std::string_view name, SpaceTree::Type type, const struct stat &st);
    /// As `add`, for callers that have no worker number (a walker problem callback).
    Folder addShared(Folder parent, std::string_view name, SpaceTree::Type type, const struct stat &st);
    /// A folder's listing ended; `complete` when it ran to its end.
    void folderListed(Folder folder, bool complete);
    void problem(Folder folder, SpaceTree::ProblemKind kind, int error = 0);
    /// The device of a mount point (another file system's).
    void mountDevice(Folder folder, std::uint64_t device);
    /// The tree, with `rootStat` for the scanned folder itself. Call once, after the
    /// walk has ended.
    [[nodiscard]] std::shared_ptr<SpaceTree> finish(SpaceTree::Facts facts, const struct stat &rootStat);

private:
    struct Part;
    Folder addTo(Part &part, Folder parent, std::string_view name, SpaceTree::Type type, const struct stat &st);

    std::vector<std::unique_ptr<Part>> m_parts; // one per worker, and a shared one last
    std::mutex m_sharedMutex; // guards the shared part
    std::mutex m_mutex; // guards the folder flags, the problems and the mount devices
    std::vector<std::uint8_t> m_folderFlags;
    std::vector<std::pair<Folder, SpaceTree::Problem>> m_problems;
    std::vector<std::pair<Folder, std::uint64_t>> m_mountDevices;
};

/// Feeds a SpaceTreeBuilder from the callbacks of one walk of `root`: finds each
/// entry's folder by its path (each worker remembers the folder it is listing, so the
/// shared map is asked once per folder, and forgets a folder once it is listed).
class SpaceWalkRecorder {
public:
    SpaceWalkRecorder(const QString &root, int workers);

    /// The visitor's part for an entry that is counted.
    void visit(const WalkEntry &entry);
    /// The visitor's part for an ignored path: counted for its folder's notes only.
    void ignored(const WalkEntry &entry);
    void folderListed(std::string_view path, bool complete);
    void problem(const WalkProblem &problem);
    [[nodiscard]] std::shared_ptr<SpaceTree> finish(SpaceTree::Facts facts, const WalkReport &report);

private:
    struct StringHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
    };
    struct Cache {
        std::string path;
        SpaceTreeBuilder::Folder folder = SpaceTreeBuilder::noFolder;
    };
    [[nodiscard]] SpaceTreeBuilder::Folder folderAt(std::string_view path);
    [[nodiscard]] SpaceTreeBuilder::Folder parentOf(const WalkEntry &entry);

    SpaceTreeBuilder m_builder;
    std::vector<Cache> m_cache; // per worker
    std::mutex m_mutex; // guards m_folders
    std::unordered_map<std::string, SpaceTreeBuilder::Folder, StringHash, std::equal_to<>> m_folders;
};

} // namespace Morvane
