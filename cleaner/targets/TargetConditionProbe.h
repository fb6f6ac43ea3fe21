#pragma once
#include "targets/TargetConditionCache.h"
#include "targets/TargetConditions.h"

#include <cstdint>
#include <optional>
#include <string>

// The machine's registry keys (names "<root, 8 hex digits>\<key>") and file-system paths as a
// PresenceCache asks them.
[[nodiscard]] PresenceCache::Lookups MachineKeyLookups();
[[nodiscard]] PresenceCache::Lookups MachinePathLookups();

// The machine as the conditions ask it: registry keys and file-system paths, each distinct one
// asked once and most absent ones answered from a list of the key or folder above them
// (PresenceCache), and the version Windows reports. One probe serves one pass over the
// conditions (a catalogue build) on one thread; what it learnt goes with it.
class Win32ConditionProbe : public ConditionProbe {
public:
    Win32ConditionProbe();
    bool KeyExists(uint32_t root, const std::string& key) const override;
    bool PathExists(const std::string& path) const override;
    uint32_t WindowsVersion() const override;

    // How many registry and file-system questions the probe has asked the system so far.
    size_t SystemLookups() const { return keys_.Asked() + paths_.Asked(); }

private:
    mutable PresenceCache keys_;
    mutable PresenceCache paths_;
    mutable std::optional<uint32_t> version_;
};
