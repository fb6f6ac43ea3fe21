#pragma once
#include "engine/RecycleFolderEntry.h"
#include "engine/RecycleRules.h"
#include "engine/SystemStores.h"
#include "platform/ComPtr.h"
#include "platform/Handles.h"

#include <windows.h>

#include <string>

// The Win32 implementations of the system store and drive interfaces.

namespace pstore {
struct IStore;
}

// The current user's AutoComplete items of the protected store, through pstorec.dll loaded by
// name (it is gone from current Windows, where Open fails and the entry finds nothing).
class Win32ProtectedStoreItems : public ProtectedStoreItems {
public:
    // Out of line: only the source file knows the store's interface.
    Win32ProtectedStoreItems();
    ~Win32ProtectedStoreItems() override;
    Win32ProtectedStoreItems(const Win32ProtectedStoreItems&) = delete;
    Win32ProtectedStoreItems& operator=(const Win32ProtectedStoreItems&) = delete;

    bool Open() override;
    bool Enumerate(uint32_t most, std::vector<std::wstring>& names) override;
    bool Delete(const std::wstring& name) override;
    void Close() override;

private:
    // The store comes from the library: declared after it, so it is released before the unload.
    ModuleHandle library_;
    ComPtr<pstore::IStore> store_;
};

class Win32EventLogs : public EventLogs {
public:
    bool RecordCount(const std::string& log, uint32_t& count) override;
    bool Clear(const std::string& log) override;
};

// "ClearPageFileAtShutdown" = 1 under the given key; tests pass a key of their own below HKCU.
class Win32PageFileSetting : public PageFileSetting {
public:
    static constexpr const char* kMemoryManagementKey =
        "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
    Win32PageFileSetting();
    Win32PageFileSetting(HKEY root, std::string key) : root_(root), key_(std::move(key)) {}
    bool RequestClearAtShutdown() override;

private:
    HKEY root_;
    std::string key_;
};

// GetLogicalDriveStringsW with room for 127 characters, GetDriveTypeW.
class Win32DriveList : public DriveList {
public:
    std::vector<std::string> Roots() override;
    DriveType TypeOf(const std::string& root) override;
};

// SHQueryRecycleBinW and SHEmptyRecycleBinW (flags 7: no confirmation, no progress, no sound).
class Win32RecycleBinShell : public RecycleBinShell {
public:
    bool HasItems(const std::string& root) override;
    void Empty(const std::string& root) override;
};

// The current user's SID as a string ("S-1-5-..."), empty when it cannot be read.
std::string CurrentUserSid();
