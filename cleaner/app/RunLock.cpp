#include "app/RunLock.h"

#include "engine/Win32SystemStores.h"
#include "platform/Text.h"

#include <windows.h>

RunLock::RunLock() = default;

RunLock::~RunLock() { Release(); }

std::string RunLock::Name() {
    std::string sid = CurrentUserSid();
    if (sid.empty()) sid = "unknown";
    return "Global\\Tracelorn.Run." + sid;
}

bool RunLock::TryClaim() {
    if (mutex_) return false;  // one claim per object
    std::wstring name = WideFromUtf8(Name());
    KernelHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!mutex && ::GetLastError() == ERROR_ACCESS_DENIED) {
        // Someone else's object under our name in the global namespace: fall back to the session's.
        name = WideFromUtf8("Local\\" + Name().substr(7));
        mutex.Reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
    }
    if (!mutex) return false;
    const DWORD wait = ::WaitForSingleObject(mutex.Get(), 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return false;
    mutex_ = std::move(mutex);
    return true;
}

void RunLock::Release() {
    if (!mutex_) return;
    ::ReleaseMutex(mutex_.Get());
    mutex_.Reset();
}
