#include "engine/SystemStores.h"

void PStoreAutoCompleteEntry::Scan() {
    if (!store_ || !store_->Open()) {
        MarkScanned();
        return;
    }
    std::vector<std::wstring> names;
    uint32_t items = 0;
    if (store_->Enumerate(UINT32_MAX, names)) items = static_cast<uint32_t>(names.size());
    AddItems(items / 2);
    store_->Close();
    MarkScanned();
}

void PStoreAutoCompleteEntry::Kill() {
    if (!store_ || !store_->Open()) return;
    for (;;) {
        std::vector<std::wstring> names;
        if (!store_->Enumerate(kRound, names)) break;
        uint32_t deleted = 0;
        for (const std::wstring& name : names) {
            if (store_->Delete(name)) ++deleted;
        }
        AddItems(deleted);
        if (names.size() < kRound || deleted == 0) break;
    }
    store_->Close();
    MarkKilled();
}

void EventLogEntry::Scan() {
    uint32_t count = 0;
    if (logs_ && logs_->RecordCount(log_, count)) AddItems(count);
    MarkScanned();
}

void EventLogEntry::Kill() {
    uint32_t count = 0;
    const bool counted = logs_ && logs_->RecordCount(log_, count);
    MarkScanned();
    if (!counted) return;
    if (!logs_->Clear(log_)) return;
    AddItems(count);
    MarkKilled();
}

void PageFileEntry::Scan() {
    AddFile(0);
    MarkScanned();
}

void PageFileEntry::Kill() {
    if (setting_ && setting_->RequestClearAtShutdown()) AddFile(0);
    MarkKilled();
}
