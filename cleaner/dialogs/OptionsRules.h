#pragma once
// The conversions between stored settings and the controls of the Options pages and the About
// dialog: pure decisions, kept free of Win32 so the native tests check them.
#include <cstdint>
#include <string>

namespace options_rules {

// The speed radio groups: index 0 Slow, 1 Normal, 2 Fast.
enum Speed : int { kSlow = 0, kNormal = 1, kFast = 2 };
// ScanTime / KillTime as shown: 0 is Fast, 4000 Slow, anything else Normal.
int SpeedIndex(int32_t pauseMs);
// What a speed stores: Slow 4000, Normal 2000, Fast 0 milliseconds.
int32_t PauseFor(int speedIndex);

// The security level radio group: index 0 Low .. 4 Extreme. DelRep / 2, at most 4 (and at least 0).
int SecurityLevel(int passes);
// What a level stores: index * 2 + 1, within the engine's 1..9.
int PassesFor(int level);

// The Auto-Kill interval list: twelve texts; a selection is stored clamped to 0..11 and no
// selection (-1) stores 0.
constexpr int kIntervalCount = 12;
extern const char* const kIntervalTexts[kIntervalCount];
int StoredInterval(int selection);
// AKAppExitName holds at most this many characters; a longer edit text is cut.
constexpr size_t kMaxAppPath = 255;
std::string StoredAppPath(const std::string& text);

// About: the statistics text, the totals as unsigned decimals and the bytes as a size text.
std::string StatisticsText(uint32_t files, uint32_t items, uint64_t bytes);
// About: the emblem frame at timer tick c: 3, 2, 1, 0, 0, 1, 2, 3, and again.
int LogoFrame(unsigned counter);
// About: a web link's address with the program's query suffix.
std::string LinkAddress(const std::string& address);

}  // namespace options_rules
