#include "engine/UrlCacheEntry.h"

#include "engine/FileRemoval.h"
#include "engine/FolderGuard.h"
#include "engine/FoundItems.h"
#include "engine/FoundReport.h"
#include "platform/Text.h"

#include <windows.h>
#include <shlobj.h>
#include <wininet.h>
#define SECURITY_WIN32  // winineti.h pulls in the security headers, which ask for a flavour
#include <winineti.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// The one record buffer both entries share; only the action worker walks the cache.
alignas(8) unsigned char g_record[kUrlCacheRecordBytes];

class CacheWalk {
public:
    CacheWalk() {
        std::memset(g_record, 0, sizeof(INTERNET_CACHE_ENTRY_INFOW));
        Record()->dwStructSize = sizeof(INTERNET_CACHE_ENTRY_INFOW);
        DWORD size = kUrlCacheRecordBytes;
        handle_ = ::FindFirstUrlCacheEntryW(nullptr, Record(), &size);
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
        return ::FindNextUrlCacheEntryW(handle_, Record(), &size) != FALSE;
    }
    static INTERNET_CACHE_ENTRY_INFOW* Record() { return reinterpret_cast<INTERNET_CACHE_ENTRY_INFOW*>(g_record); }

private:
    HANDLE handle_ = nullptr;
};

// A record's text in UTF-8; empty when absent or without an exact UTF-8 form (such a file or
// address is never turned into another name).
std::string Text(const wchar_t* text) {
    std::string out;
    return (text != nullptr && Utf8FromWide(text, out)) ? out : std::string();
}

// The folders the cache keeps its files in: the content path WinINet reports and the Internet
// cache special folder.
std::vector<std::string> CacheFolders() {
    std::vector<std::string> folders;
    INTERNET_CACHE_CONFIG_INFOW info{};
    info.dwStructSize = sizeof(info);
    DWORD size = sizeof(info);
    if (::GetUrlCacheConfigInfoW(&info, &size, CACHE_CONFIG_CONTENT_PATHS_FC) && info.CachePath[0] != 0)
        folders.push_back(Text(info.CachePath));
    wchar_t special[MAX_PATH] = {};
    if (::SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, special) == S_OK &&
        special[0] != 0)
        folders.push_back(Text(special));
    return folders;
}

// A record is ours to count and remove when it names no file, or a file inside the cache: a forged
// or stale record must not make a Kill overwrite a file elsewhere (deleting the record would also
// let WinINet delete the file it names).
bool NamesFileInsideCache(const wchar_t* localFile, const std::vector<std::string>& cacheFolders) {
    if (localFile == nullptr || localFile[0] == 0) return true;
    const std::string path = Text(localFile);
    if (path.empty()) return false;
    for (const std::string& folder : cacheFolders)
        if (!folder.empty() && IsInsideFolder(path, folder)) return true;
    return false;
}

// A content record in the details: its file in the cache, or its address when it keeps no file.
void ReportContent(const INTERNET_CACHE_ENTRY_INFOW* record) {
    if (!CurrentFoundItems()) return;
    const uint64_t time = found_report::FileTimeNumber(record->LastSyncTime.dwLowDateTime,
                                                       record->LastSyncTime.dwHighDateTime);
    const std::string local = Text(record->lpszLocalFileName);
    if (local.empty()) found_report::File(Text(record->lpszSourceUrlName), std::string(), record->dwSizeLow, time);
    else found_report::FileAt(local, record->dwSizeLow, time);
}

// A history record is one item: a store line named by its address.
void ReportHistory(const INTERNET_CACHE_ENTRY_INFOW* record) {
    if (!CurrentFoundItems()) return;
    found_report::Store(Text(record->lpszSourceUrlName), 1);
}

}  // namespace

void UrlCacheContentEntry::Scan() {
    MarkScanned();
    CacheWalk walk;
    if (!walk.Opened()) return;
    const std::vector<std::string> folders = CacheFolders();
    do {
        const auto* record = CacheWalk::Record();
        if (IsUrlHistoryRecord(record->CacheEntryType)) continue;
        if (!NamesFileInsideCache(record->lpszLocalFileName, folders)) continue;
        AddFile(record->dwSizeLow);
        ReportContent(record);
    } while (walk.Next());
}

void UrlCacheContentEntry::Kill() {
    CacheWalk walk;
    if (walk.Opened()) {
        const std::vector<std::string> folders = CacheFolders();
        do {
            const auto* record = CacheWalk::Record();
            if (IsUrlHistoryRecord(record->CacheEntryType)) continue;
            if (!NamesFileInsideCache(record->lpszLocalFileName, folders)) continue;
            const std::string local = Text(record->lpszLocalFileName);
            const std::string url = Text(record->lpszSourceUrlName);
            const DWORD size = record->dwSizeLow;
            ReportContent(record);
            if (!local.empty()) (void)KillFile(local);
            if (!url.empty()) (void)::DeleteUrlCacheEntryW(record->lpszSourceUrlName);
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
        if (!IsUrlHistoryRecord(CacheWalk::Record()->CacheEntryType)) continue;
        AddItems(1);
        ReportHistory(CacheWalk::Record());
    } while (walk.Next());
}

void UrlHistoryEntry::Kill() {
    CacheWalk walk;
    if (walk.Opened()) {
        do {
            const auto* record = CacheWalk::Record();
            if (!IsUrlHistoryRecord(record->CacheEntryType)) continue;
            ReportHistory(record);
            if (record->lpszSourceUrlName != nullptr && record->lpszSourceUrlName[0] != 0)
                (void)::DeleteUrlCacheEntryW(record->lpszSourceUrlName);
            AddItems(1);
        } while (walk.Next());
    }
    MarkKilled();
}
