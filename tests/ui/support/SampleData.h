#pragma once

#include "UiHarness.h"

namespace VarnollTest {

/// Fixed results for pictures and benchmarks: same names, sizes and time every run.
ScanResult sampleJunk(const UiHarness &h);
ScanResult sampleLargeFiles(const UiHarness &h);
/// `count` large files with varied names, for the benchmarks.
ScanResult manyLargeFiles(const UiHarness &h, int count);
QDateTime sampleDate();

} // namespace VarnollTest
