#pragma once
#include "engine/EntryRecord.h"
#include "engine/RunCounters.h"

#include <string>

// One removal entry of a target: the smallest thing the cleaner counts (Scan) and removes (Kill).
// Scan and Kill only add to the counters; the target's reset clears them before a run. Both may
// end the run by throwing RunStopped from a checkpoint.
class RemEntry {
public:
    explicit RemEntry(RemKind kind) : kind_(kind) {}
    virtual ~RemEntry() = default;
    RemEntry(const RemEntry&) = delete;
    RemEntry& operator=(const RemEntry&) = delete;

    virtual void Scan() = 0;
    virtual void Kill() = 0;

    // The stored form of entries that plug-in and custom target files can hold; none for the
    // built-in special entries.
    virtual const EntryRecord* Record() const { return nullptr; }

    // A line for the user about the last Scan or Kill when the entry left something alone on
    // purpose (a database that is not what it should be); empty otherwise.
    virtual std::string Notice() const { return std::string(); }

    RemKind Kind() const { return kind_; }
    const RunCounters& Counters() const { return counters_; }
    bool Scanned() const { return scanned_; }
    bool Killed() const { return killed_; }

    void Reset() {
        counters_.Clear();
        scanned_ = false;
        killed_ = false;
    }

    // What the last Scan or Kill left, to be put back after a run made only for its details.
    struct RunMemo {
        RunCounters counters;
        bool scanned = false;
        bool killed = false;
    };
    RunMemo Memo() const { return {counters_, scanned_, killed_}; }
    void Restore(const RunMemo& memo) {
        counters_ = memo.counters;
        scanned_ = memo.scanned;
        killed_ = memo.killed;
    }

protected:
    void SetKind(RemKind kind) { kind_ = kind; }
    void AddFile(uint64_t size) { counters_.files += 1; counters_.bytes += size; }
    void AddFiles(uint32_t files, uint64_t bytes) { counters_.files += files; counters_.bytes += bytes; }
    void AddItems(uint32_t items) { counters_.items += items; }
    void MarkScanned() { scanned_ = true; }
    void MarkKilled() { killed_ = true; }

private:
    RemKind kind_;
    RunCounters counters_;
    bool scanned_ = false;
    bool killed_ = false;
};
