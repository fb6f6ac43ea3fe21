#include "engine/Win32SystemStores.h"

#include "platform/SystemLibrary.h"
#include "platform/Handles.h"
#include "platform/ProtectedStorageApi.h"
#include "platform/Text.h"

#include <sddl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <utility>
#include <vector>

namespace {

struct EventLogTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::CloseEventLog(h); }
};
using EventLogHandle = UniqueHandle<EventLogTraits>;

struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::LocalFree(h); }
};
using LocalMemory = UniqueHandle<LocalMemoryTraits>;

}  // namespace

Win32ProtectedStoreItems::Win32ProtectedStoreItems() = default;
Win32ProtectedStoreItems::~Win32ProtectedStoreItems() { Close(); }

bool Win32ProtectedStoreItems::Open() {
    Close();
    library_.Reset(LoadSystemLibrary("pstorec.dll"));
    if (!library_) return false;
    const auto create = reinterpret_cast<pstore::CreateInstanceFn>(
        reinterpret_cast<void*>(::GetProcAddress(library_.Get(), "PStoreCreateInstance")));
    if (!create || FAILED(create(store_.Receive(), nullptr, nullptr, 0)) || !store_) {
        Close();
        return false;
    }
    return true;
}

bool Win32ProtectedStoreItems::Enumerate(uint32_t most, std::vector<std::wstring>& names) {
    names.clear();
    if (!store_) return false;
    ComPtr<pstore::IEnumItems> items;
    if (FAILED(store_->EnumItems(pstore::kCurrentUser, &pstore::kAutoCompleteType, &pstore::kAutoCompleteType, 0,
                                 items.Receive())) || !items) {
        return false;
    }
    // A bounded request is one call for up to `most` names; an unbounded one fetches one at a time.
    const DWORD batch = most == UINT32_MAX ? 1 : most;
    std::vector<LPWSTR> fetched(batch == 0 ? 1 : batch, nullptr);
    while (names.size() < most) {
        DWORD count = 0;
        const HRESULT hr = items->Next(batch, fetched.data(), &count);
        if (FAILED(hr)) break;
        count = count > batch ? batch : count;
        for (DWORD i = 0; i < count; ++i) {
            // Each name the enumeration handed out is ours to free, copied or not.
            const CoTaskWideString name(std::exchange(fetched[i], nullptr));
            if (name) names.emplace_back(name.Get());
        }
        if (count == 0 || hr != S_OK || batch != 1) break;
    }
    return true;
}

bool Win32ProtectedStoreItems::Delete(const std::wstring& name) {
    if (!store_) return false;
    return SUCCEEDED(store_->DeleteItem(pstore::kCurrentUser, &pstore::kAutoCompleteType, &pstore::kAutoCompleteType,
                                        name.c_str(), nullptr, 0));
}

void Win32ProtectedStoreItems::Close() {
    store_.Reset();
    library_.Reset();
}

bool Win32EventLogs::RecordCount(const std::string& log, uint32_t& count) {
    EventLogHandle handle(::OpenEventLogW(nullptr, WideFromUtf8(log).c_str()));
    if (!handle) return false;
    DWORD records = 0;
    if (!::GetNumberOfEventLogRecords(handle.Get(), &records)) return false;
    count = records;
    return true;
}

bool Win32EventLogs::Clear(const std::string& log) {
    EventLogHandle handle(::OpenEventLogW(nullptr, WideFromUtf8(log).c_str()));
    if (!handle) return false;
    return ::ClearEventLogW(handle.Get(), nullptr) != FALSE;
}

Win32PageFileSetting::Win32PageFileSetting() : root_(HKEY_LOCAL_MACHINE), key_(kMemoryManagementKey) {}

bool Win32PageFileSetting::RequestClearAtShutdown() {
    const DWORD one = 1;
    return ::SHSetValueW(root_, WideFromUtf8(key_).c_str(), L"ClearPageFileAtShutdown", REG_DWORD, &one, sizeof one) ==
           ERROR_SUCCESS;
}

std::vector<std::string> Win32DriveList::Roots() {
    wchar_t buffer[kDriveStringChars + 1] = {};
    const DWORD length = ::GetLogicalDriveStringsW(static_cast<DWORD>(kDriveStringChars), buffer);
    // 26 roots need 105 characters, so the list always fits; a failed call gives no drives.
    const size_t used = (length == 0 || length > kDriveStringChars) ? 0 : length + 1;
    // The NUL separators convert as themselves.
    std::string text;
    if (!Utf8FromWide(std::wstring_view(buffer, used), text)) return {};
    return ParseDriveStrings(text.data(), text.size());
}

DriveType Win32DriveList::TypeOf(const std::string& root) {
    const UINT type = ::GetDriveTypeW(WideFromUtf8(root).c_str());
    return type <= 6 ? static_cast<DriveType>(type) : DriveType::Unknown;
}

bool Win32RecycleBinShell::HasItems(const std::string& root) {
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    if (FAILED(::SHQueryRecycleBinW(WideFromUtf8(root).c_str(), &info))) return false;
    return info.i64NumItems > 0;
}

void Win32RecycleBinShell::Empty(const std::string& root) {
    (void)::SHEmptyRecycleBinW(nullptr, WideFromUtf8(root).c_str(), SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
}

std::string CurrentUserSid() {
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return std::string();
    KernelHandle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    if (size == 0) return std::string();
    std::vector<unsigned char> buffer(size);
    if (!::GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return std::string();
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return std::string();
    const LocalMemory owned(text);
    return Utf8FromWide(text);
}
