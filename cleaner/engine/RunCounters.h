#pragma once
#include <cstdint>

// What a run of an entry, a target, a whole run or all Kill runs since installation found or removed.
struct RunCounters {
    uint32_t files = 0;
    uint32_t items = 0;
    uint64_t bytes = 0;

    void Add(const RunCounters& other) {
        files += other.files;
        items += other.items;
        bytes += other.bytes;
    }
    void Clear() { *this = RunCounters{}; }
    bool operator==(const RunCounters& o) const {
        return files == o.files && items == o.items && bytes == o.bytes;
    }
};
