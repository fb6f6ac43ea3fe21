#include "engine/SizeFormat.h"

#include <cinttypes>
#include <cstdio>

std::string FormatSize(uint64_t bytes) {
    constexpr uint64_t kKiB = 1024, kMiB = kKiB * 1024, kGiB = kMiB * 1024;
    uint64_t unit = kKiB;
    const char* name = "KB";
    if (bytes >= kGiB) {
        unit = kGiB;
        name = "GB";
    } else if (bytes >= kMiB) {
        unit = kMiB;
        name = "MB";
    }
    const uint64_t whole = bytes / unit;
    const uint64_t hundredths = (bytes % unit) * 100 / unit;
    char text[48];
    std::snprintf(text, sizeof text, "%" PRIu64 ",%02u %s", whole, static_cast<unsigned>(hundredths), name);
    return text;
}

std::string CountText(uint32_t count) { return std::to_string(count); }
