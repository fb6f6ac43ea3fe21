#include "engine/UrlCacheEntry.h"

#include "engine/FileKiller.h"

#include <windows.h>
#include <wininet.h>

#include <cstring>
#include <string>

namespace {

// The one record buffer both entries share; only the action worker walks the cache.
alignas(8) unsigned char g_record[kUrlCacheRecordBytes];

class CacheWalk {
public:
    CacheWalk() {
        std::memset(g_record, 0, 80);
        Record()->dwStructSize = 80;
        DWORD size = kUrlCacheRecordBytes;
        handle_ = ::FindFirstUrlCacheEntryA(nullptr, Record(), &size);
    }
    ~CacheWalk() {
        if (handle_ != nullptr) ::FindCloseUrlCache(handle_);
    }
    CacheWalk(const CacheWalk&) = delete;
    CacheWalk& operator=(const CacheWalk&) = delete;

    [[nodiscard]] bool Opened() const { return handle_ != nullptr; }
    // The walk ends at the first failing call, whatever its cause (a record over 5000 bytes too).
    [[nodiscard]] bool Next() {
        DWORD size = kUrlCacheRecordBytes;
        return ::FindNextUrlCacheEntryA(handle_, Record(), &size) != FALSE;
    }
    static INTERNET_CACHE_ENTRY_INFOA* Record() { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(g_record); }

private:
    HANDLE handle_ = nullptr;
};

std::string Text(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

}  // namespace

void UrlCacheContentEntry::Scan() {
    MarkScanned();
    CacheWalk walk;
    if (!walk.Opened()) return;
    do {
        const auto* record = CacheWalk::Record();
        if (IsUrlHistoryRecord(record->CacheEntryType)) continue;
        AddFile(record->dwSizeLow);
    } while (walk.Next());
}

void UrlCacheContentEntry::Kill() {
    CacheWalk walk;
    if (walk.Opened()) {
        do {
            const auto* record = CacheWalk::Record();
            if (IsUrlHistoryRecord(record->CacheEntryType)) continue;
            const std::string local = Text(record->lpszLocalFileName);
            const std::string url = Text(record->lpszSourceUrlName);
            const DWORD size = record->dwSizeLow;
            if (!local.empty()) (void)KillFile(local);
            if (!url.empty()) (void)::DeleteUrlCacheEntryA(url.c_str());
            AddFile(size);
        } while (walk.Next());
    }
    MarkKilled();
}

void UrlHistoryEntry::Scan() {
    MarkScanned();
    CacheWalk walk;
    if (!walk.Opened()) return;
    do {
        if (IsUrlHistoryRecord(CacheWalk::Record()->CacheEntryType)) AddItems(1);
    } while (walk.Next());
}

void UrlHistoryEntry::Kill() {
    CacheWalk walk;
    if (walk.Opened()) {
        do {
            const auto* record = CacheWalk::Record();
            if (!IsUrlHistoryRecord(record->CacheEntryType)) continue;
            const std::string url = Text(record->lpszSourceUrlName);
            if (!url.empty()) (void)::DeleteUrlCacheEntryA(url.c_str());
            AddItems(1);
        } while (walk.Next());
    }
    MarkKilled();
}
