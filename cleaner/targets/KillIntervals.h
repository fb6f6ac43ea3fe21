#pragma once
#include <cstdint>

// The Auto-Kill interval table and the due arithmetic of the scheduler and the update check.
// Instants are seconds since 1970-01-01 UTC.
namespace kill_intervals {

constexpr int kCount = 12;
// 5, 10, 20, 30 minutes, 1, 2, 5, 8, 12 hours, 1 day, 1 week, 30 days.
constexpr int32_t kMinutes[kCount] = {5, 10, 20, 30, 60, 120, 300, 480, 720, 1440, 10080, 43200};
constexpr int64_t kUpdateCheckMinutes = 360;

inline int ClampIndex(int64_t index) {
    return index < 0 ? 0 : index >= kCount ? kCount - 1 : static_cast<int>(index);
}

// Whole minutes from `since` to `now`, rounded towards zero.
inline int64_t ElapsedMinutes(int64_t since, int64_t now) { return (now - since) / 60; }

inline bool AutoKillDue(int64_t lastKill, int64_t now, int intervalIndex) {
    return ElapsedMinutes(lastKill, now) >= kMinutes[ClampIndex(intervalIndex)];
}

inline bool UpdateCheckDue(int64_t lastCheck, int64_t now) {
    return ElapsedMinutes(lastCheck, now) >= kUpdateCheckMinutes;
}

}  // namespace kill_intervals
