#pragma once

#include "core/files/DuplicatePipeline.h"

#include <QByteArrayView>

#include <vector>

namespace Morvane {

// Which copy of a duplicate set is most worth keeping. The quick selection of the
// duplicates page keeps the first file of each set, so the order is a promise to the
// user. The rule, most important first:
//  1. a copy outside download, temporary, cache and trash folders (a file that has
//     been put away somewhere is where the user wants it); only folders below the
//     scanned one count, since a folder all copies share tells nothing;
//  2. a name that does not look like a copy ("a (1).pdf", "a copy.pdf", "a 副本.pdf");
//  3. the oldest modification time (the original, not the later copy);
//  4. the shortest path (the least buried);
//  5. byte order of the path, so the order never depends on the walk.

/// True when a folder component of `path` after its first `rootLength` bytes names a
/// download, temporary, cache or trash folder, or the path lies in the system's
/// temporary folders below that point.
[[nodiscard]] bool isInTransientFolder(QByteArrayView path, qsizetype rootLength = 0);

/// True when the file name's stem ends the way copy commands and browsers name copies.
[[nodiscard]] bool looksLikeCopyName(QByteArrayView name);

/// Sorts the copies of one set, all found below the folder of `rootLength` bytes, so
/// that the one to keep comes first.
void orderForKeeping(std::vector<DuplicateCandidate> &copies, qsizetype rootLength = 0);

} // namespace Morvane
