#pragma once
#include <cstdint>

// The pure decisions of the settings store: the bounds applied at load and the validity of a
// stored time stamp.
namespace settings_rules {

constexpr int32_t kMaxPause = 4000;      // ScanTime, KillTime: milliseconds
constexpr int32_t kMaxAppExitName = 255;  // AKAppExitName: characters

// ScanTime and KillTime are read as signed: 0xFFFFFFFF is -1 and loads as 0.
inline int32_t ClampPause(uint32_t stored) {
    const int32_t v = static_cast<int32_t>(stored);
    return v < 0 ? 0 : v > kMaxPause ? kMaxPause : v;
}

// The five values of a stamp subkey, each 0 when missing.
struct StampFields {
    uint32_t minute = 0, hour = 0, day = 0, month = 0, year = 0;
};

inline bool IsValidStamp(const StampFields& s) {
    return s.year >= 1900 && s.month >= 1 && s.month <= 12 && s.day >= 1 && s.day <= 31 &&
           s.hour <= 23 && s.minute <= 59;
}

// What is written for an instant that has no local calendar time: a later load rejects it.
inline StampFields UnconvertibleStamp() { return StampFields{0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0, 0}; }

// A stamp never loads as later than now.
inline int64_t NotAfter(int64_t instant, int64_t now) { return instant > now ? now : instant; }

}  // namespace settings_rules
