#include "engine/SystemStores.h"

#include "engine/FoundReport.h"

namespace {
// What the details name the stores by.
constexpr char kProtectedStore[] = "Protected store: AutoComplete";
constexpr char kPageFile[] = "Page file (cleared at the next shutdown)";
std::string EventLogName(const std::string& log) { return "Event log: " + log; }

void ReportStore(const char* name, uint32_t items) {
    if (items > 0) found_report::Store(name, items);
}
}  // namespace

void PStoreAutoCompleteEntry::Scan() {
    if (!store_ || !store_->Open()) {
        MarkScanned();
        return;
    }
    std::vector<std::wstring> names;
    uint32_t items = 0;
    if (store_->Enumerate(UINT32_MAX, names)) items = static_cast<uint32_t>(names.size());
    AddItems(items / 2);
    ReportStore(kProtectedStore, items / 2);
    store_->Close();
    MarkScanned();
}

void PStoreAutoCompleteEntry::Kill() {
    if (!store_ || !store_->Open()) return;
    uint32_t total = 0;
    for (;;) {
        std::vector<std::wstring> names;
        if (!store_->Enumerate(kRound, names)) break;
        uint32_t deleted = 0;
        for (const std::wstring& name : names) {
            if (store_->Delete(name)) ++deleted;
        }
        AddItems(deleted);
        total += deleted;
        if (names.size() < kRound || deleted == 0) break;
    }
    ReportStore(kProtectedStore, total);
    store_->Close();
    MarkKilled();
}

void EventLogEntry::Scan() {
    uint32_t count = 0;
    if (logs_ && logs_->RecordCount(log_, count)) {
        AddItems(count);
        if (count > 0) found_report::Store(EventLogName(log_), count);
    }
    MarkScanned();
}

void EventLogEntry::Kill() {
    uint32_t count = 0;
    const bool counted = logs_ && logs_->RecordCount(log_, count);
    MarkScanned();
    if (!counted) return;
    if (!logs_->Clear(log_)) return;
    AddItems(count);
    if (count > 0) found_report::Store(EventLogName(log_), count);
    MarkKilled();
}

// One file without bytes: what the system will clear, not anything a walk can see.
void PageFileEntry::Scan() {
    AddFile(0);
    found_report::File(std::string(), kPageFile, 0, 0);
    MarkScanned();
}

void PageFileEntry::Kill() {
    if (setting_ && setting_->RequestClearAtShutdown()) {
        AddFile(0);
        found_report::File(std::string(), kPageFile, 0, 0);
    }
    MarkKilled();
}
