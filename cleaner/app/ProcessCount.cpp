#include "app/ProcessCount.h"

#include "platform/Handles.h"

#include <psapi.h>
#include <shlwapi.h>

#include <vector>

namespace {
// All process ids. The buffer grows while the list comes back full, since a full buffer may
// have cut the list short.
std::vector<DWORD> ProcessIds() {
    std::vector<DWORD> ids(1024);
    for (;;) {
        DWORD bytes = 0;
        const DWORD size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
        if (!::EnumProcesses(ids.data(), size, &bytes)) return {};
        if (bytes < size || ids.size() >= (1u << 20)) {
            ids.resize(bytes / sizeof(DWORD));
            return ids;
        }
        ids.resize(ids.size() * 2);
    }
}
}  // namespace

int ProcessCount(const std::string& path) {
    if (path.empty()) return 0;
    int count = 0;
    for (DWORD id : ProcessIds()) {
        KernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
        if (!process) continue;
        HMODULE module = nullptr;
        DWORD needed = 0;
        if (!::EnumProcessModules(process.Get(), &module, sizeof module, &needed) || needed == 0) continue;
        char name[MAX_PATH] = {};
        if (::GetModuleFileNameExA(process.Get(), module, name, MAX_PATH) == 0) continue;
        if (::lstrcmpiA(name, path.c_str()) == 0) ++count;
    }
    return count;
}
