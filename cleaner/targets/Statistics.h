#pragma once
#include "engine/RunCounters.h"

#include <string>

// The totals since installation as config.cfg holds them: 16 bytes, little-endian, files (u32),
// items (u32), bytes (u64).
constexpr size_t kStatisticsSize = 16;

std::string EncodeStatistics(const RunCounters& totals);

// Reads the first 16 bytes. A shorter file is no statistics: the totals are left as they were.
[[nodiscard]] bool DecodeStatistics(const std::string& bytes, RunCounters& totals);

// What a save writes when another process of the installation (the console, or the window beside
// it) may have added to the file since this one read it: the stored totals plus what this process
// added since (totals - accounted). Unsigned arithmetic, so the counters wrap as they always did.
RunCounters MergedTotals(const RunCounters& stored, const RunCounters& totals, const RunCounters& accounted);
