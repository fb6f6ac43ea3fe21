#pragma once
#include "engine/FoundItems.h"
#include "engine/RemEntry.h"
#include "engine/RunCounters.h"
#include "targets/TargetCondition.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One named unit the user selects as a whole ("Firefox Cookies", "Recycle Bin"): an ordered list of
// removal entries whose counters add up into the target's.
class Target {
public:
    Target(std::string name, std::string description);
    virtual ~Target() = default;
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    const std::string& Name() const { return name_; }
    const std::string& Description() const { return description_; }
    void SetName(std::string name) { name_ = std::move(name); }
    void SetDescription(std::string description) { description_ = std::move(description); }

    bool Selected() const { return selected_; }
    void SetSelected(bool selected) { selected_ = selected; }

    // Three bytes from the plug-in's "Date" and a fourth that is always 0; the update client
    // compares stamps as one little-endian number.
    const std::array<uint8_t, 4>& Stamp() const { return stamp_; }
    void SetStamp(uint8_t b0, uint8_t b1, uint8_t b2) { stamp_ = {b0, b1, b2, 0}; }
    uint32_t StampNumber() const {
        return stamp_[0] | (stamp_[1] << 8) | (stamp_[2] << 16) | (static_cast<uint32_t>(stamp_[3]) << 24);
    }

    void AddEntry(std::unique_ptr<RemEntry> entry);
    size_t EntryCount() const { return entries_.size(); }
    RemEntry& Entry(size_t i) const { return *entries_[i]; }

    // Imported targets: the group they are listed under on the Applications page, and the text shown
    // when the user ticks them (empty: none).
    const std::string& Group() const { return group_; }
    void SetGroup(std::string group) { group_ = std::move(group); }
    const std::string& Warning() const { return warning_; }
    void SetWarning(std::string warning) { warning_ = std::move(warning); }

    void AddCondition(TargetCondition condition) { conditions_.push_back(std::move(condition)); }
    const std::vector<TargetCondition>& Conditions() const { return conditions_; }

    // A test made when a Scan or Kill starts: empty when the target may run, otherwise the reason it
    // is skipped, as a line for the user (a browser's data while the browser runs).
    using RunGate = std::function<std::string()>;
    void SetRunGate(RunGate gate) { gate_ = std::move(gate); }
    // What the test would answer now, without running anything (a browser that is open now).
    std::string PendingSkipNotice() const { return gate_ ? gate_() : std::string(); }
    // The reason the last Scan or Kill was skipped; empty when it ran.
    const std::string& SkipNotice() const { return skipNotice_; }
    // The last Kill deleted files on a solid-state drive without overwriting them, as the user chose.
    bool OverwriteSkipped() const { return overwriteSkipped_; }

    const RunCounters& Counters() const { return counters_; }
    bool Scanned() const { return scanned_; }
    bool Killed() const { return killed_; }

    // Clears the target's and every entry's counters and flags.
    void Reset();
    // Run every entry in order with a checkpoint before and after each; may end the run by
    // throwing RunStopped, leaving the target partly worked. With a sink, every file, value, key,
    // table and store found (Scan) or removed (Kill) is also handed to it as the run goes.
    void Scan(FoundItems* details = nullptr);
    void Kill(FoundItems* details = nullptr);
    // Scans again only to hand what it finds to details (a window showing them). The counters,
    // flags and notices of the last Scan or Kill are as they were afterwards, also when the run
    // is stopped, so the result of that run stays what it said.
    void ScanForDetails(FoundItems* details);

private:
    template <typename Run>
    void RunEntries(Run run);
    [[nodiscard]] bool MayRun();

    std::string name_;
    std::string description_;
    std::string group_;
    std::string warning_;
    bool selected_ = true;
    std::array<uint8_t, 4> stamp_{1, 1, 0, 0};
    std::vector<std::unique_ptr<RemEntry>> entries_;
    std::vector<TargetCondition> conditions_;
    RunGate gate_;
    std::string skipNotice_;
    bool overwriteSkipped_ = false;
    RunCounters counters_;
    bool scanned_ = false;
    bool killed_ = false;
};
