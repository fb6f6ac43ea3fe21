#include "targets/TargetConditions.h"

#include <cstdlib>

uint32_t ParseWindowsVersion(const std::string& text) {
    char* end = nullptr;
    const unsigned long major = std::strtoul(text.c_str(), &end, 10);
    if (end == text.c_str() || major > 99) return 0;
    unsigned long minor = 0;
    if (*end == '.') {
        const char* start = end + 1;
        minor = std::strtoul(start, &end, 10);
        if (end == start || minor > 99) return 0;
    }
    return static_cast<uint32_t>(major * 100 + minor);
}

bool IsOffered(const std::vector<TargetCondition>& conditions, const ConditionProbe& probe) {
    bool asksPresence = false, present = false;
    for (const TargetCondition& c : conditions) {
        switch (static_cast<ConditionKind>(c.kind)) {
        case ConditionKind::WindowsRange: {
            const uint32_t v = probe.WindowsVersion();
            if (!c.text.empty() && v < ParseWindowsVersion(c.text)) return false;
            if (!c.secondText.empty() && v > ParseWindowsVersion(c.secondText)) return false;
            break;
        }
        case ConditionKind::PathExists:
            if (c.text.empty()) break;  // an older file's bare condition node
            asksPresence = true;
            present = present || probe.PathExists(c.text);
            break;
        case ConditionKind::Always:
            if (c.text.empty()) break;
            asksPresence = true;
            present = present || probe.KeyExists(c.number, c.text);
            break;
        default:
            break;  // kinds of a later release say nothing here
        }
    }
    return !asksPresence || present;
}
