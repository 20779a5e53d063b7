#include "core/scan/SpaceTree.h"

#include "core/Identity.h"
#include "core/Paths.h"
#include "core/files/FileTypes.h"
#include "core/scan/FolderScanTexts.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace Morvane {

namespace {

constexpr std::uint32_t nameChunkBits = 18;
constexpr std::size_t nameChunkBytes = std::size_t(1) << nameChunkBits;
constexpr std::uint32_t nameOffsetMask = std::uint32_t(nameChunkBytes - 1);
constexpr std::size_t nameChunkLimit = std::size_t(1) << (32 - nameChunkBits);
constexpr int sampleLimit = 8;
constexpr std::uint32_t chunkEntryBits = 14;
constexpr std::size_t chunkEntries = std::size_t(1) << chunkEntryBits;

QByteArrayView nameIn(const std::vector<std::unique_ptr<char[]>> &chunks, std::uint32_t ref, std::uint16_t length)
{
    return { chunks[ref >> nameChunkBits].get() + (ref & nameOffsetMask), qsizetype(length) };
}

// The page's order: largest first, then by name bytes (names are unique in a folder,
// so the order is total and the same on every run).
bool listedBefore(std::int64_t aBytes, QByteArrayView aName, std::int64_t bBytes, QByteArrayView bName)
{
    if (aBytes != bBytes)
        return aBytes > bBytes;
    return std::lexicographical_compare(aName.begin(), aName.end(), bName.begin(), bName.end(),
        [](char x, char y) { return std::uint8_t(x) < std::uint8_t(y); });
}

// The walker reads "/" as "" so that its children read "/name"; so do the tree's paths.
QByteArray walkBase(const QString &folder)
{
    QByteArray bytes = pathToBytes(folder);
    while (bytes.size() > 1 && bytes.endsWith('/'))
        bytes.chop(1);
    return bytes == "/" ? QByteArray() : bytes;
}

} // namespace

// ---------------------------------------------------------------------------
// SpaceTree

QByteArrayView SpaceTree::name(Index i) const
{
    if (i == rootIndex)
        return {};
    const Node &n = m_nodes[i];
    return nameIn(m_nameChunks, n.nameRef, n.nameLength);
}

QString SpaceTree::path(Index i) const
{
    if (i == rootIndex)
        return m_facts.root;
    std::vector<Index> chain;
    for (Index j = i; j != rootIndex && j != none; j = m_nodes[j].parent)
        chain.push_back(j);
    QByteArray bytes = walkBase(m_facts.root);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        bytes += '/';
        bytes += name(*it);
    }
    return pathFromBytes(bytes);
}

SpaceTree::Index SpaceTree::find(const QString &path) const
{
    if (m_nodes.empty())
        return none;
    QByteArray bytes = pathToBytes(path);
    while (bytes.size() > 1 && bytes.endsWith('/'))
        bytes.chop(1);
    const QByteArray base = walkBase(m_facts.root);
    if (bytes == pathToBytes(m_facts.root) || (base.isEmpty() && bytes == "/"))
        return rootIndex;
    if (!bytes.startsWith(base + '/'))
        return none;
    Index at = rootIndex;
    for (const QByteArray &component : bytes.mid(base.size() + 1).split('/')) {
        if (component.isEmpty())
            continue;
        const Node &folder = m_nodes[at];
        Index found = none;
        for (Index c = folder.firstChild; c < folder.firstChild + folder.childCount; ++c) {
            if (name(c) == QByteArrayView(component)) {
                found = c;
                break;
            }
        }
        if (found == none || m_nodes[found].has(excluded))
            return none;
        at = found;
    }
    return at;
}

bool SpaceTree::isWithin(Index i, Index ancestor) const
{
    for (Index j = i; j != none; j = m_nodes[j].parent) {
        if (j == ancestor)
            return true;
    }
    return false;
}

bool SpaceTree::canShow(Index i) const
{
    if (i >= size())
        return false;
    const Node &n = m_nodes[i];
    return n.isFolder() && n.has(entered) && !n.has(mountPoint) && isCounted(i);
}

std::vector<SpaceTree::Index> SpaceTree::children(Index folder) const
{
    const Node &f = m_nodes[folder];
    std::vector<Index> list;
    list.reserve(f.childCount);
    for (Index c = f.firstChild; c < f.firstChild + f.childCount; ++c) {
        if (!m_nodes[c].has(excluded))
            list.push_back(c);
    }
    // Built in order; an exclusion below a child can change its size afterwards.
    const auto before
        = [this](Index a, Index b) { return listedBefore(m_nodes[a].bytes, name(a), m_nodes[b].bytes, name(b)); };
    if (!std::is_sorted(list.begin(), list.end(), before))
        std::sort(list.begin(), list.end(), before);
    return list;
}

FileEntry SpaceTree::entry(Index i) const
{
    const QString folder = path(m_nodes[i].parent);
    QByteArray folderPath = pathToBytes(folder);
    if (folderPath == "/")
        folderPath.clear();
    return entry(i, folderPath, lexicallyNormal(folder));
}

FileEntry SpaceTree::entry(Index i, const QByteArray &folderPath, const QString &scope) const
{
    const Node &n = m_nodes[i];
    FileEntry entry;
    entry.id = m_idBase;
    entry.id.data1 ^= i; // one id per node, the same each time the node is shown
    QByteArray path = folderPath;
    path += '/';
    path += name(i);
    entry.path = pathFromBytes(path);
    entry.name = lastComponent(entry.path);
    entry.bytes = n.bytes;
    entry.category = FileCategory::spaceItem;
    entry.scope = scope; // as a scan of that folder records it
    entry.date = QDateTime::fromMSecsSinceEpoch(n.modifiedNs / 1000000, Qt::UTC);
    Fingerprint identity;
    identity.device = m_facts.device;
    const auto mount = std::lower_bound(m_mountDevices.begin(), m_mountDevices.end(), std::pair(i, std::uint64_t(0)));
    if (mount != m_mountDevices.end() && mount->first == i)
        identity.device = mount->second;
    identity.inode = n.inode;
    identity.size = n.bytes;
    identity.modifiedNs = n.modifiedNs;
    identity.changedNs = n.changedNs;
    if (!n.isFolder()) {
        entry.detail = modifiedDetail(n.modifiedNs);
        entry.kind = EntryKind::file(identity);
        return entry;
    }
    for (Index c = n.firstChild; c < n.firstChild + n.childCount; ++c) {
        if (!m_nodes[c].has(excluded))
            identity.size -= m_nodes[c].bytes; // what is left is the folder's own size
    }
    entry.sizeIsComplete = n.has(complete);
    if (n.has(mountPoint)) {
        entry.detail = QStringLiteral("文件夹 · 其他文件系统的挂载点，未进入");
    } else {
        entry.detail = QStringLiteral("文件夹 · 包含 %1 个项目").arg(n.descendants);
        if (!entry.sizeIsComplete)
            entry.detail += QStringLiteral(" · 部分内容未统计");
    }
    entry.kind = EntryKind::folder(identity);
    return entry;
}

WalkReport SpaceTree::reportBelow(Index folder, std::int64_t *ignoredHits) const
{
    WalkReport report;
    const Node &f = m_nodes[folder];
    report.stop = f.has(cut) ? m_facts.stop : WalkStop::none;
    if (folder == rootIndex) {
        report.specialSkipped = m_facts.specialSkipped;
        report.datalessSkipped = m_facts.datalessSkipped;
    }
    *ignoredHits = 0;
    for (const Problem &p : m_problems) {
        bool inside = false;
        bool gone = false;
        for (Index j = p.node; j != none; j = m_nodes[j].parent) {
            gone = gone || m_nodes[j].has(excluded);
            if (j == folder) {
                inside = true;
                break;
            }
        }
        if (!inside || gone)
            continue;
        switch (p.kind) {
        case ProblemKind::unreadableFolder:
            ++report.unreadableFolders;
            if (report.unreadableSamples.size() < sampleLimit)
                report.unreadableSamples << path(p.node);
            break;
        case ProblemKind::unreadableEntry:
            ++report.unreadableEntries;
            break;
        case ProblemKind::otherFileSystem:
            ++report.otherFileSystems;
            if (report.otherFileSystemSamples.size() < sampleLimit)
                report.otherFileSystemSamples << path(p.node);
            break;
        case ProblemKind::changed:
            ++report.changedFolders;
            break;
        case ProblemKind::loop:
            ++report.loops;
            break;
        case ProblemKind::ignored:
            ++*ignoredHits;
            break;
        }
    }
    // Trash folders are never visited: the walk names only the first few. Those are
    // placed; the scanned folder's level counts them all.
    for (const auto &[node, path] : m_trash) {
        if (!isWithin(node, folder) || !isCounted(node))
            continue;
        ++report.excludedFolders;
        report.excludedSamples << path;
    }
    if (folder == rootIndex)
        report.excludedFolders = std::max<std::int64_t>(report.excludedFolders, m_facts.trashFolders);
    // Every name the walk examined below the folder: counted, ignored, unreadable or skipped.
    report.visited = std::int64_t(f.descendants) + *ignoredHits + report.unreadableEntries + report.excludedFolders
        + report.specialSkipped + report.datalessSkipped;
    return report;
}

ScanResult SpaceTree::level(Index folder) const
{
    ScanResult result;
    result.kind = ScanKind::space;
    result.date = m_facts.date;
    result.spaceTree = std::const_pointer_cast<SpaceTree>(shared_from_this());
    result.spaceFolder = folder;
    const QString directory = path(folder);
    QByteArray folderPath = pathToBytes(directory);
    if (folderPath == "/")
        folderPath.clear();
    const QString scope = lexicallyNormal(directory);
    std::int64_t links = 0;
    const std::vector<Index> shown = children(folder);
    result.entries.reserve(qsizetype(shown.size()));
    for (Index c : shown) {
        if (m_nodes[c].type() == Type::symlink)
            ++links;
        else
            result.entries.append(entry(c, folderPath, scope));
    }
    std::int64_t ignoredHits = 0;
    const WalkReport report = reportBelow(folder, &ignoredHits);
    result.examined = report.visited;
    if (links > 0)
        result.scopeNotes << QStringLiteral("跳过 %1 个符号链接，不计入大小。").arg(links);
    result.scopeNotes << QStringLiteral("大小按逻辑大小统计（含文件夹和链接本身），硬链接在每个位置各计一次。");
    addFolderWalkNotes(
        result.scopeNotes, { directory, m_facts.home, report, ignoredHits, m_facts.visitLimit, m_facts.timeLimit });
    const CoverageState state = report.isComplete() ? CoverageState::complete : CoverageState::partial;
    result.coverage = { ScanCoverage { FileCategory::spaceItem, std::uint8_t(state), report.visited } };
    return result;
}

void SpaceTree::exclude(Index i)
{
    if (i == rootIndex || i >= size() || !isCounted(i))
        return;
    Node &n = m_nodes[i];
    n.flags |= excluded;
    const std::int64_t bytes = n.bytes;
    const std::uint32_t entries = n.descendants + 1;
    for (Index p = n.parent; p != none; p = m_nodes[p].parent) {
        m_nodes[p].bytes -= bytes;
        m_nodes[p].descendants -= entries;
        refreshFlags(p);
    }
    m_problems.push_back({ n.parent, ProblemKind::ignored, 0 });
}

bool SpaceTree::isCounted(Index i) const
{
    for (Index j = i; j != none; j = m_nodes[j].parent) {
        if (m_nodes[j].has(excluded))
            return false;
    }
    return true;
}

void SpaceTree::refreshFlags(Index folder)
{
    Node &f = m_nodes[folder];
    bool childIncomplete = false;
    bool childCut = false;
    for (Index c = f.firstChild; c < f.firstChild + f.childCount; ++c) {
        const Node &child = m_nodes[c];
        if (child.has(excluded))
            continue;
        childIncomplete = childIncomplete || !child.has(complete);
        childCut = childCut || child.has(cut);
    }
    f.flags = std::uint8_t(f.flags & ~(complete | cut));
    f.flags |= folderState(f.flags, childIncomplete, childCut);
}

std::uint8_t SpaceTree::folderState(std::uint8_t own, bool childIncomplete, bool childCut)
{
    // Left unlisted by a budget: neither read failures nor mount points explain it.
    const bool selfCut = (own & listed) == 0 && (own & (unreadable | mountPoint)) == 0;
    std::uint8_t state = 0;
    if (selfCut || childCut)
        state |= cut;
    if ((own & listed) != 0 && (own & (unreadable | nameGap | mountPoint)) == 0 && !childIncomplete && !selfCut)
        state |= complete;
    return state;
}

std::size_t SpaceTree::memoryBytes() const
{
    return m_nodes.capacity() * sizeof(Node) + m_nameBytes + m_problems.capacity() * sizeof(Problem)
        + m_mountDevices.capacity() * sizeof(m_mountDevices[0]);
}

// ---------------------------------------------------------------------------
// SpaceTreeBuilder

// One worker's entries and names, in chunks: no reallocation while the walk runs. The
// entries are nodes already, with folder numbers where indices will be (`parent` holds
// the folder they lie in, `firstChild` their own number, noFolder for a file), so that
// the tree is put in order in place.
struct SpaceTreeBuilder::Part {
    std::vector<std::unique_ptr<SpaceTree::Node[]>> chunks;
    std::size_t lastUsed = chunkEntries;
    std::vector<std::unique_ptr<char[]>> names;
    std::size_t nameUsed = nameChunkBytes;

    [[nodiscard]] std::size_t used(std::size_t chunk) const
    {
        return chunk + 1 == chunks.size() ? lastUsed : chunkEntries;
    }
};

static_assert(sizeof(SpaceTree::Node) <= 56, "a node stays small: a million entries in well under 100 MB");

SpaceTreeBuilder::SpaceTreeBuilder(int workers)
{
    for (int i = 0; i <= std::max(workers, 1); ++i)
        m_parts.push_back(std::make_unique<Part>());
    m_folderFlags.push_back(0); // the scanned folder
}

SpaceTreeBuilder::~SpaceTreeBuilder() = default;

SpaceTreeBuilder::Folder SpaceTreeBuilder::add(
    int worker, Folder parent, std::string_view name, SpaceTree::Type type, const struct stat &st)
{
    return addTo(*m_parts[std::size_t(worker)], parent, name, type, st);
}

SpaceTreeBuilder::Folder SpaceTreeBuilder::addShared(
    Folder parent, std::string_view name, SpaceTree::Type type, const struct stat &st)
{
    std::lock_guard lock(m_sharedMutex);
    return addTo(*m_parts.back(), parent, name, type, st);
}

SpaceTreeBuilder::Folder SpaceTreeBuilder::addTo(
    Part &part, Folder parent, std::string_view name, SpaceTree::Type type, const struct stat &st)
{
    const std::size_t length = std::min<std::size_t>(name.size(), 0xFFFF);
    if (part.nameUsed + length > nameChunkBytes) {
        if (part.names.size() >= nameChunkLimit)
            throw std::length_error("space tree: too many names");
        part.names.push_back(std::make_unique_for_overwrite<char[]>(nameChunkBytes));
        part.nameUsed = 0;
    }
    if (part.lastUsed == chunkEntries) {
        part.chunks.push_back(std::make_unique_for_overwrite<SpaceTree::Node[]>(chunkEntries));
        part.lastUsed = 0;
    }
    const std::uint32_t nameRef
        = std::uint32_t((part.names.size() - 1) << nameChunkBits) | std::uint32_t(part.nameUsed);
    std::memcpy(part.names.back().get() + part.nameUsed, name.data(), length);
    part.nameUsed += length;

    Folder folder = noFolder;
    if (type == SpaceTree::Type::folder) {
        std::lock_guard lock(m_mutex);
        folder = Folder(m_folderFlags.size());
        m_folderFlags.push_back(0);
    }
    std::uint8_t typeBits = std::uint8_t(type);
    if (type == SpaceTree::Type::file)
        typeBits |= std::uint8_t(std::uint8_t(fileTypeOfName(QByteArrayView(name.data(), qsizetype(length)))) << 2);
    const Fingerprint identity = fingerprintFromStat(st);
    SpaceTree::Node &node = part.chunks.back()[part.lastUsed++];
    node = SpaceTree::Node {};
    node.bytes = std::int64_t(st.st_size);
    node.inode = std::uint64_t(st.st_ino);
    node.modifiedNs = identity.modifiedNs;
    node.changedNs = identity.changedNs;
    node.nameRef = nameRef;
    node.parent = parent;
    node.firstChild = folder;
    node.nameLength = std::uint16_t(length);
    node.typeBits = typeBits;
    if (folder == noFolder)
        node.flags = SpaceTree::complete;
    return folder;
}

void SpaceTreeBuilder::folderListed(Folder folder, bool complete)
{
    std::lock_guard lock(m_mutex);
    m_folderFlags[folder] |= SpaceTree::entered | (complete ? SpaceTree::listed : 0);
}

void SpaceTreeBuilder::problem(Folder folder, SpaceTree::ProblemKind kind, int error)
{
    std::lock_guard lock(m_mutex);
    switch (kind) {
    case SpaceTree::ProblemKind::unreadableFolder:
    case SpaceTree::ProblemKind::changed:
        m_folderFlags[folder] |= SpaceTree::unreadable;
        break;
    case SpaceTree::ProblemKind::otherFileSystem:
        m_folderFlags[folder] |= SpaceTree::mountPoint;
        break;
    case SpaceTree::ProblemKind::loop:
        // Its content is counted where the walk met it first.
        m_folderFlags[folder] |= SpaceTree::listed;
        break;
    case SpaceTree::ProblemKind::unreadableEntry:
        m_folderFlags[folder] |= SpaceTree::nameGap;
        break;
    case SpaceTree::ProblemKind::ignored:
        break;
    }
    m_problems.push_back({ folder, SpaceTree::Problem { 0, kind, error } });
}

void SpaceTreeBuilder::mountDevice(Folder folder, std::uint64_t device)
{
    std::lock_guard lock(m_mutex);
    m_mountDevices.emplace_back(folder, device);
}

std::shared_ptr<SpaceTree> SpaceTreeBuilder::finish(SpaceTree::Facts facts, const struct stat &rootStat)
{
    using Index = SpaceTree::Index;
    using Node = SpaceTree::Node;
    std::shared_ptr<SpaceTree> tree(new SpaceTree);
    const std::size_t folders = m_folderFlags.size();

    // The entries' slots: chunk by chunk, part by part. Slot `c << chunkEntryBits | k`
    // is entry k of chunk c; the last chunk of each part has unused slots.
    std::vector<Node *> entryChunks;
    std::vector<std::uint32_t> chunkUsed;
    std::size_t total = 1;
    for (auto &part : m_parts) {
        const auto nameBase = std::uint32_t(tree->m_nameChunks.size());
        if (nameBase + part->names.size() > nameChunkLimit)
            throw std::length_error("space tree: too many names");
        for (std::size_t c = 0; c < part->names.size(); ++c) {
            const std::size_t used = c + 1 == part->names.size() ? part->nameUsed : nameChunkBytes;
            if (used < nameChunkBytes) {
                // The last chunk of a part is rarely full: keep only what it holds.
                auto exact = std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(used, 1));
                std::memcpy(exact.get(), part->names[c].get(), used);
                part->names[c] = std::move(exact);
            }
            tree->m_nameChunks.push_back(std::move(part->names[c]));
            tree->m_nameBytes += used;
        }
        part->names.clear();
        for (std::size_t c = 0; c < part->chunks.size(); ++c) {
            const auto used = std::uint32_t(part->used(c));
            for (std::uint32_t k = 0; k < used; ++k)
                part->chunks[c][k].nameRef += nameBase << nameChunkBits;
            entryChunks.push_back(part->chunks[c].get());
            chunkUsed.push_back(used);
            total += used;
        }
    }
    if (total >= std::size_t(SpaceTree::none) || entryChunks.size() >= (std::size_t(1) << (32 - chunkEntryBits)))
        throw std::length_error("space tree: too many entries");
    const auto node = [&entryChunks](std::uint32_t slot) -> Node & {
        return entryChunks[slot >> chunkEntryBits][slot & (chunkEntries - 1)];
    };

    // Children of one folder go next to each other: count per folder, then give each
    // entry its place (less one: the scanned folder is node 0).
    std::vector<std::uint32_t> count(folders, 0);
    for (std::size_t c = 0; c < entryChunks.size(); ++c) {
        for (std::uint32_t k = 0; k < chunkUsed[c]; ++k)
            ++count[entryChunks[c][k].parent];
    }
    std::vector<std::uint32_t> start(folders, 0);
    for (std::size_t f = 1; f < folders; ++f)
        start[f] = start[f - 1] + count[f - 1];
    std::vector<Index> folderIndex(folders, 0);
    // Where each slot's entry goes, as a slot: the places fill the slots in order.
    std::vector<std::uint32_t> target(entryChunks.size() << chunkEntryBits, 0);
    {
        std::vector<std::uint32_t> placeSlot(total - 1);
        std::size_t place = 0;
        for (std::size_t c = 0; c < entryChunks.size(); ++c) {
            for (std::uint32_t k = 0; k < chunkUsed[c]; ++k)
                placeSlot[place++] = std::uint32_t(c << chunkEntryBits) | k;
        }
        std::vector<std::uint32_t> cursor = start;
        for (std::size_t c = 0; c < entryChunks.size(); ++c) {
            for (std::uint32_t k = 0; k < chunkUsed[c]; ++k) {
                const Node &entry = entryChunks[c][k];
                const std::uint32_t at = cursor[entry.parent]++;
                target[(c << chunkEntryBits) | k] = placeSlot[at];
                if (entry.firstChild != noFolder)
                    folderIndex[entry.firstChild] = 1 + at;
            }
        }
    }
    // Moves every entry to its slot, cycle by cycle: no second copy of the entries.
    {
        std::vector<bool> done(target.size(), false);
        for (std::size_t c = 0; c < entryChunks.size(); ++c) {
            for (std::uint32_t k = 0; k < chunkUsed[c]; ++k) {
                const std::uint32_t first = std::uint32_t(c << chunkEntryBits) | k;
                if (done[first])
                    continue;
                Node carried = node(first);
                std::uint32_t slot = first;
                do {
                    const std::uint32_t to = target[slot];
                    std::swap(carried, node(to));
                    done[to] = true;
                    slot = to;
                } while (slot != first);
            }
        }
    }
    target = {};

    std::vector<Node> &nodes = tree->m_nodes;
    nodes.reserve(total);
    Node root;
    root.bytes = rootStat.st_size;
    root.inode = rootStat.st_ino;
    root.modifiedNs = fingerprintFromStat(rootStat).modifiedNs;
    root.changedNs = fingerprintFromStat(rootStat).changedNs;
    root.typeBits = std::uint8_t(SpaceTree::Type::folder);
    root.firstChild = rootFolder; // holds the folder number until the ranges are set
    nodes.push_back(root);
    // The slots in order are the places in order; each chunk goes as soon as it is copied.
    for (auto &part : m_parts) {
        for (std::size_t c = 0; c < part->chunks.size(); ++c) {
            nodes.insert(nodes.end(), part->chunks[c].get(), part->chunks[c].get() + part->used(c));
            part->chunks[c].reset();
        }
        part->chunks.clear();
    }

    // A folder is numbered after the folder it lies in, so counting from the last
    // number down sums every folder after all of its subfolders.
    for (std::size_t f = folders; f-- > 0;) {
        Node &node = nodes[folderIndex[f]];
        std::int64_t bytes = node.bytes;
        std::uint64_t below = 0;
        bool childIncomplete = false;
        bool childCut = false;
        for (Index c = 1 + start[f], end = c + count[f]; c < end; ++c) {
            const Node &child = nodes[c];
            bytes += child.bytes;
            below += 1 + child.descendants;
            childIncomplete = childIncomplete || !child.has(SpaceTree::complete);
            childCut = childCut || child.has(SpaceTree::cut);
        }
        node.bytes = bytes;
        node.descendants = std::uint32_t(below);
        node.flags = m_folderFlags[f];
        node.flags |= SpaceTree::folderState(node.flags, childIncomplete, childCut);
    }

    // The page's order inside each folder; folders carry their number as they move.
    const auto &chunks = tree->m_nameChunks;
    for (std::size_t f = 0; f < folders; ++f) {
        const auto first = nodes.begin() + std::ptrdiff_t(1 + start[f]);
        std::sort(first, first + std::ptrdiff_t(count[f]), [&chunks](const Node &a, const Node &b) {
            return listedBefore(
                a.bytes, nameIn(chunks, a.nameRef, a.nameLength), b.bytes, nameIn(chunks, b.nameRef, b.nameLength));
        });
    }
    for (Index i = 0; i < Index(total); ++i) {
        if (nodes[i].isFolder())
            folderIndex[nodes[i].firstChild] = i;
    }
    for (std::size_t f = 0; f < folders; ++f) {
        const Index at = folderIndex[f];
        nodes[at].firstChild = 1 + start[f];
        nodes[at].childCount = count[f];
        for (Index c = 1 + start[f], end = c + count[f]; c < end; ++c)
            nodes[c].parent = at;
    }
    nodes[SpaceTree::rootIndex].parent = SpaceTree::none;

    tree->m_problems.reserve(m_problems.size());
    for (auto &[folder, problem] : m_problems) {
        problem.node = folderIndex[folder];
        tree->m_problems.push_back(problem);
    }
    for (const auto &[folder, device] : m_mountDevices)
        tree->m_mountDevices.emplace_back(folderIndex[folder], device);
    std::sort(tree->m_mountDevices.begin(), tree->m_mountDevices.end());
    facts.device = std::uint64_t(rootStat.st_dev);
    tree->m_facts = std::move(facts);
    for (const QString &trash : std::as_const(tree->m_facts.trashSamples)) {
        const SpaceTree::Index in = tree->find(parentPath(trash));
        tree->m_trash.emplace_back(in == SpaceTree::none ? SpaceTree::rootIndex : in, trash);
    }
    tree->m_idBase = QUuid::createUuid();
    return tree;
}

// ---------------------------------------------------------------------------
// SpaceWalkRecorder

SpaceWalkRecorder::SpaceWalkRecorder(const QString &root, int workers)
    : m_builder(workers)
    , m_cache(std::size_t(std::max(workers, 1)))
{
    m_folders.emplace(walkBase(root).toStdString(), SpaceTreeBuilder::rootFolder);
}

SpaceTreeBuilder::Folder SpaceWalkRecorder::folderAt(std::string_view path)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_folders.find(path);
    // Every problem lies in a folder the walk has met; should one not, the scanned
    // folder still counts it.
    return it == m_folders.end() ? SpaceTreeBuilder::rootFolder : it->second;
}

SpaceTreeBuilder::Folder SpaceWalkRecorder::parentOf(const WalkEntry &entry)
{
    const std::string_view parent = entry.path.substr(0, entry.nameOffset - 1);
    Cache &cache = m_cache[std::size_t(entry.worker)];
    if (cache.folder == SpaceTreeBuilder::noFolder || cache.path != parent) {
        cache.folder = folderAt(parent);
        cache.path.assign(parent);
    }
    return cache.folder;
}

void SpaceWalkRecorder::visit(const WalkEntry &entry)
{
    const SpaceTree::Type type = entry.type == WalkEntryType::folder ? SpaceTree::Type::folder
        : entry.type == WalkEntryType::symlink                       ? SpaceTree::Type::symlink
                                                                     : SpaceTree::Type::file;
    const SpaceTreeBuilder::Folder folder = m_builder.add(entry.worker, parentOf(entry), entry.name(), type, *entry.st);
    if (folder != SpaceTreeBuilder::noFolder) {
        std::lock_guard lock(m_mutex);
        m_folders.emplace(std::string(entry.path), folder);
    }
}

void SpaceWalkRecorder::ignored(const WalkEntry &entry)
{
    m_builder.problem(parentOf(entry), SpaceTree::ProblemKind::ignored);
}

void SpaceWalkRecorder::folderListed(std::string_view path, bool complete)
{
    SpaceTreeBuilder::Folder folder = SpaceTreeBuilder::rootFolder;
    {
        // Nothing inside a listed folder is reported any more: forget its path.
        std::lock_guard lock(m_mutex);
        const auto it = m_folders.find(path);
        if (it == m_folders.end())
            return;
        folder = it->second;
        m_folders.erase(it);
    }
    m_builder.folderListed(folder, complete);
}

void SpaceWalkRecorder::problem(const WalkProblem &p)
{
    const std::string_view path = p.path;
    const std::string_view parent = path.substr(0, path.rfind('/'));
    switch (p.kind) {
    case WalkProblem::Kind::unreadableFolder:
        m_builder.problem(folderAt(path), SpaceTree::ProblemKind::unreadableFolder, p.error);
        break;
    case WalkProblem::Kind::changed:
        m_builder.problem(folderAt(path), SpaceTree::ProblemKind::changed, p.error);
        break;
    case WalkProblem::Kind::loop:
        m_builder.problem(folderAt(path), SpaceTree::ProblemKind::loop, p.error);
        break;
    case WalkProblem::Kind::unreadableEntry:
        m_builder.problem(folderAt(parent), SpaceTree::ProblemKind::unreadableEntry, p.error);
        break;
    case WalkProblem::Kind::otherFileSystem: {
        // Never visited, but still a child of its folder: listed with its own entry.
        struct stat st { };
        if (::lstat(p.path.c_str(), &st) != 0)
            st = {};
        const SpaceTreeBuilder::Folder mount
            = m_builder.addShared(folderAt(parent), path.substr(path.rfind('/') + 1), SpaceTree::Type::folder, st);
        m_builder.mountDevice(mount, std::uint64_t(st.st_dev));
        m_builder.problem(mount, SpaceTree::ProblemKind::otherFileSystem);
        break;
    }
    }
}

std::shared_ptr<SpaceTree> SpaceWalkRecorder::finish(SpaceTree::Facts facts, const WalkReport &report)
{
    {
        std::lock_guard lock(m_mutex);
        m_folders = {};
    }
    facts.stop = report.stop;
    facts.specialSkipped = report.specialSkipped;
    facts.datalessSkipped = report.datalessSkipped;
    facts.trashFolders = report.excludedFolders;
    facts.trashSamples = report.excludedSamples;
    return m_builder.finish(std::move(facts), report.rootStat);
}

} // namespace Morvane
