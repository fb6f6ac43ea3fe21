#pragma once
#include "targets/Target.h"

#include <cstdint>
#include <string>
#include <vector>

// Condition kinds (TargetCondition::kind):
//  1  a plug-in's condition. With no text it says nothing; with text it asks for the registry key
//     "text" below the predefined root "number".
//  2  a file or folder "text" exists; it may start with a %Variable% and hold '*' or '?' in its
//     last part only, so the answer costs one lookup, never a walk.
//  3  the Windows version lies from "text" to "secondText" ("6.1", "10.0"; empty ends are open).
enum class ConditionKind : uint32_t { Always = 1, PathExists = 2, WindowsRange = 3 };

// What the conditions ask of the machine; the Win32 form is the only real one.
class ConditionProbe {
public:
    virtual ~ConditionProbe() = default;
    [[nodiscard]] virtual bool KeyExists(uint32_t root, const std::string& key) const = 0;
    [[nodiscard]] virtual bool PathExists(const std::string& path) const = 0;
    // major * 100 + minor (Windows 10 and 11: 1000).
    [[nodiscard]] virtual uint32_t WindowsVersion() const = 0;
};

// "6.1" -> 601, "10" -> 1000; 0 for text that is no version.
[[nodiscard]] uint32_t ParseWindowsVersion(const std::string& text);

// Whether a target with these conditions is offered: every version range holds, and when it has
// any presence conditions (kinds 1 with text, 2) at least one of them is met.
[[nodiscard]] bool IsOffered(const std::vector<TargetCondition>& conditions, const ConditionProbe& probe);
