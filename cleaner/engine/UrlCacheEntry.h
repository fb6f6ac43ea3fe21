#pragma once
#include "engine/RemEntry.h"

#include <cstdint>

// The Internet cache, walked through one enumeration and split by the history bit of the record
// type: content records (pages and files) and history records (visited addresses).
constexpr uint32_t kUrlHistoryBit = 0x00200000;
constexpr uint32_t kUrlCacheRecordBytes = 5000;

[[nodiscard]] constexpr bool IsUrlHistoryRecord(uint32_t entryType) { return (entryType & kUrlHistoryBit) != 0; }

// Counts files and bytes; Kill removes each local file with KillFile and deletes the record by its
// source URL, counting every record whether or not the removal succeeded. A record whose local
// file lies outside the cache's own folders is left alone and not counted.
class UrlCacheContentEntry : public RemEntry {
public:
    UrlCacheContentEntry() : RemEntry(RemKind::Special) {}
    void Scan() override;
    void Kill() override;
};

// Counts items; Kill deletes each history record by its source URL.
class UrlHistoryEntry : public RemEntry {
public:
    UrlHistoryEntry() : RemEntry(RemKind::Special) {}
    void Scan() override;
    void Kill() override;
};
