#pragma once
#include "engine/RunCounters.h"

#include <string>

// The totals since installation as config.cfg holds them: 16 bytes, little-endian, files (u32),
// items (u32), bytes (u64).
constexpr size_t kStatisticsSize = 16;

std::string EncodeStatistics(const RunCounters& totals);

// Reads the first 16 bytes. A shorter file is no statistics: the totals are left as they were.
[[nodiscard]] bool DecodeStatistics(const std::string& bytes, RunCounters& totals);
