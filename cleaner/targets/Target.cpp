#include "targets/Target.h"

#include "engine/Checkpoint.h"
#include "engine/VolumeMedia.h"
#include "engine/WalkLedger.h"

#include <utility>

Target::Target(std::string name, std::string description)
    : name_(std::move(name)), description_(std::move(description)) {}

void Target::AddEntry(std::unique_ptr<RemEntry> entry) {
    if (entry) entries_.push_back(std::move(entry));
}

void Target::Reset() {
    counters_.Clear();
    scanned_ = false;
    killed_ = false;
    skipNotice_.clear();
    overwriteSkipped_ = false;
    for (auto& entry : entries_) entry->Reset();
}

template <typename Run>
void Target::RunEntries(Run run) {
    // Entries naming one folder twice walk it once per run.
    WalkLedgerScope walked;
    for (auto& entry : entries_) {
        Checkpoint();
        run(*entry);
        counters_.Add(entry->Counters());
        if (skipNotice_.empty()) skipNotice_ = entry->Notice();
        Checkpoint();
    }
}

bool Target::MayRun() {
    skipNotice_ = gate_ ? gate_() : std::string();
    return skipNotice_.empty();
}

void Target::Scan(FoundItems* details) {
    FoundItemsScope collect(details);
    if (MayRun()) RunEntries([](RemEntry& e) { e.Scan(); });
    scanned_ = true;
}

void Target::ScanForDetails(FoundItems* details) {
    // Put back on every way out, the stop request's unwinding included.
    struct Restorer {
        Target& t;
        RunCounters counters = t.counters_;
        bool scanned = t.scanned_, killed = t.killed_, overwriteSkipped = t.overwriteSkipped_;
        std::string notice = t.skipNotice_;
        std::vector<RemEntry::RunMemo> entries;
        explicit Restorer(Target& target) : t(target) {
            for (const auto& e : t.entries_) entries.push_back(e->Memo());
        }
        ~Restorer() {
            t.counters_ = counters;
            t.scanned_ = scanned;
            t.killed_ = killed;
            t.overwriteSkipped_ = overwriteSkipped;
            t.skipNotice_ = std::move(notice);
            for (size_t i = 0; i < entries.size() && i < t.entries_.size(); ++i) t.entries_[i]->Restore(entries[i]);
        }
    } restore(*this);
    Reset();
    Scan(details);
}

void Target::Kill(FoundItems* details) {
    FoundItemsScope collect(details);
    volume_media::SkipCountScope skipped;
    if (MayRun()) RunEntries([](RemEntry& e) { e.Kill(); });
    overwriteSkipped_ = skipped.Count() > 0;
    killed_ = true;
}
