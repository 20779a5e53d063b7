#pragma once

#include "UiHarness.h"

namespace VarnollTest {

// Fixed results and records for the applications, duplicates, space, history and
// settings pages: same names, sizes and times every run.
ScanResult sampleApplications(const UiHarness &h);
ScanResult sampleDuplicates(const UiHarness &h);
ScanResult sampleSpace(const UiHarness &h);
/// A space scan of ~/Downloads with its whole tree: folders two levels deep and files
/// of every type class.
ScanResult sampleSpaceTree(const UiHarness &h);
/// Three clean-ups, newest first: a mixed one, one where everything failed, and one
/// with a size that could not be counted fully.
QList<CleanupRecord> sampleRecords(const UiHarness &h);
/// Paths of an ignore list: inside the home folder and outside, one very long.
QStringList sampleIgnoredPaths(const UiHarness &h);

/// Replaces the harness's model with one that starts from these stored records and
/// ignore list. Call before load().
void restartWithStore(UiHarness &h, const QList<CleanupRecord> &records, const QStringList &ignored);

} // namespace VarnollTest
