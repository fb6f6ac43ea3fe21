#pragma once
#include "targets/PluginRecord.h"

#include <string>
#include <vector>

// "CustomTargets.tgs": a u32 count, then that many target records back to back.
struct DecodedCustomTargets {
    std::vector<TargetRecord> records;
    bool complete = true;  // false when the count or a record could not be read
};
[[nodiscard]] DecodedCustomTargets DecodeCustomTargets(const std::vector<uint8_t>& bytes,
                                                       const StoredText& text = AsciiStoredText());
// Refuses (with the writer's result) a set holding a record the reader would refuse.
[[nodiscard]] RecordWriteResult EncodeCustomTargets(const std::vector<TargetRecord>& records,
                                                    std::vector<uint8_t>& out,
                                                    const StoredText& text = AsciiStoredText());
