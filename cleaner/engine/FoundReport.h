#pragma once
#include "engine/FoundItems.h"

#include <cstdint>
#include <string>

// The entries' side of FoundItems: each call tests for an open sink before it builds anything, so a
// run nobody collects from pays one thread-local read per thing it counts.

namespace found_report {

inline void File(const std::string& folder, const std::string& name, uint64_t size, uint64_t lastWrite) {
    FoundItems* sink = CurrentFoundItems();
    if (!sink) return;
    sink->Add(FoundItem{FoundItem::Kind::File, folder, name, size, lastWrite});
}

// A file named by its full path: its folder is everything before the last separator.
inline void FileAt(const std::string& path, uint64_t size, uint64_t lastWrite) {
    FoundItems* sink = CurrentFoundItems();
    if (!sink) return;
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) {
        sink->Add(FoundItem{FoundItem::Kind::File, std::string(), path, size, lastWrite});
        return;
    }
    sink->Add(FoundItem{FoundItem::Kind::File, path.substr(0, cut), path.substr(cut + 1), size, lastWrite});
}

inline void Store(const std::string& name, uint64_t items) {
    FoundItems* sink = CurrentFoundItems();
    if (!sink) return;
    sink->Add(FoundItem{FoundItem::Kind::Store, name, std::string(), items, 0});
}

inline uint64_t FileTimeNumber(uint32_t low, uint32_t high) { return (static_cast<uint64_t>(high) << 32) | low; }

}  // namespace found_report
