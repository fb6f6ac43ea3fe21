#include "platform/Win32SystemStores.h"

#include "platform/Handles.h"

#include <sddl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <vector>

namespace {

struct EventLogTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::CloseEventLog(h); }
};
using EventLogHandle = UniqueHandle<EventLogTraits>;

}  // namespace

bool Win32EventLogs::RecordCount(const std::string& log, uint32_t& count) {
    EventLogHandle handle(::OpenEventLogA(nullptr, log.c_str()));
    if (!handle) return false;
    DWORD records = 0;
    if (!::GetNumberOfEventLogRecords(handle.Get(), &records)) return false;
    count = records;
    return true;
}

bool Win32EventLogs::Clear(const std::string& log) {
    EventLogHandle handle(::OpenEventLogA(nullptr, log.c_str()));
    if (!handle) return false;
    return ::ClearEventLogA(handle.Get(), nullptr) != FALSE;
}

Win32PageFileSetting::Win32PageFileSetting() : root_(HKEY_LOCAL_MACHINE), key_(kMemoryManagementKey) {}

bool Win32PageFileSetting::RequestClearAtShutdown() {
    const DWORD one = 1;
    return ::SHSetValueA(root_, key_.c_str(), "ClearPageFileAtShutdown", REG_DWORD, &one, sizeof one) == ERROR_SUCCESS;
}

std::vector<std::string> Win32DriveList::Roots() {
    char buffer[kDriveStringChars + 1] = {};
    const DWORD length = ::GetLogicalDriveStringsA(static_cast<DWORD>(kDriveStringChars), buffer);
    // 26 roots need 105 characters, so the list always fits; a failed call gives no drives.
    const size_t used = (length == 0 || length > kDriveStringChars) ? 0 : length + 1;
    return ParseDriveStrings(buffer, used);
}

DriveType Win32DriveList::TypeOf(const std::string& root) {
    const UINT type = ::GetDriveTypeA(root.c_str());
    return type <= 6 ? static_cast<DriveType>(type) : DriveType::Unknown;
}

bool Win32RecycleBinShell::HasItems(const std::string& root) {
    SHQUERYRBINFO info = {};
    info.cbSize = sizeof info;
    if (FAILED(::SHQueryRecycleBinA(root.c_str(), &info))) return false;
    return info.i64NumItems > 0;
}

void Win32RecycleBinShell::Empty(const std::string& root) {
    (void)::SHEmptyRecycleBinA(nullptr, root.c_str(), SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
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
    char* text = nullptr;
    if (!::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) return std::string();
    std::string sid(text);
    ::LocalFree(text);
    return sid;
}
