#include "platform/Win32SystemStores.h"

#include "platform/Handles.h"

#include <shlwapi.h>

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
