#include "app/SingleInstance.h"

#include "app/InstanceName.h"
#include "platform/ProcessList.h"
#include "platform/Text.h"

SingleInstance::SingleInstance(const std::string& executablePath) {
    if (executablePath.empty()) return;
    mutex_.Reset(::CreateMutexW(nullptr, FALSE, WideFromUtf8(InstanceMutexName(executablePath)).c_str()));
    if (!mutex_ || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        mutex_.Reset();
        return;
    }
    // We own the name. Another process of our path may still show up in the count for a moment:
    // a copy started at the same time that is on its way out because it found our mutex. Only one
    // that stays (and so holds no mutex) keeps us out.
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (ProcessCount(executablePath) <= 1) {
            acquired_ = true;
            return;
        }
        ::Sleep(100);
    }
}
