#include "dialogs/OptionsRules.h"

#include "engine/SizeFormat.h"

namespace options_rules {

const char* const kIntervalTexts[kIntervalCount] = {
    "5 minutes", "10 minutes", "20 minutes", "30 minutes", "Hour", "2 Hours",
    "5 Hours", "8 Hours", "12 Hours", "Day", "Week", "Month",
};

int SpeedIndex(int32_t pauseMs) {
    if (pauseMs == 0) return kFast;
    if (pauseMs == 4000) return kSlow;
    return kNormal;
}

int32_t PauseFor(int speedIndex) {
    if (speedIndex < kSlow) speedIndex = kSlow;
    if (speedIndex > kFast) speedIndex = kFast;
    return (kFast - speedIndex) * 2000;
}

int SecurityLevel(int passes) {
    const int level = passes / 2;
    return level < 0 ? 0 : level > 4 ? 4 : level;
}

int PassesFor(int level) {
    const int passes = level * 2 + 1;
    return passes < 1 ? 1 : passes > 9 ? 9 : passes;
}

int StoredInterval(int selection) {
    return selection < 0 ? 0 : selection >= kIntervalCount ? kIntervalCount - 1 : selection;
}

// At most kMaxAppPath characters of the UTF-8 text, cut between characters.
std::string StoredAppPath(const std::string& text) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (characters++ == kMaxAppPath) return text.substr(0, i);
    }
    return text;
}

std::string StatisticsText(uint32_t files, uint32_t items, uint64_t bytes) {
    return "Tracelorn has killed " + CountText(files) + " Files, " + CountText(items) + " Items\nand freed " +
           FormatSize(bytes) + " disk space since installation!";
}

int LogoFrame(unsigned counter) {
    const int step = static_cast<int>(counter % 4);
    return counter % 8 >= 4 ? step : 3 - step;
}

std::string LinkAddress(const std::string& address) { return address + "?&from=tl23"; }

}  // namespace options_rules
