#include "platform/ProcessList.h"

#include "platform/Handles.h"
#include "platform/Text.h"

#include <psapi.h>

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

// The main module's path of one process; empty when it cannot be opened or read.
std::string MainModulePath(DWORD id) {
    KernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id));
    if (!process) return {};
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!::EnumProcessModules(process.Get(), &module, sizeof module, &needed) || needed == 0) return {};
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameExW(process.Get(), module, &name[0], static_cast<DWORD>(name.size()));
        if (n == 0) return {};
        if (n < name.size() - 1 || name.size() >= 32768) {
            name.resize(n);
            break;
        }
        name.resize(name.size() * 2);
    }
    std::string path;
    return Utf8FromWide(name, path) ? path : std::string();
}

// Compared as the file system compares names: ordinal, case ignored.
bool SameText(const std::string& a, const std::string& b) {
    std::wstring wa, wb;
    if (!WideFromUtf8(a, wa) || !WideFromUtf8(b, wb)) return false;
    return ::CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                                  TRUE) == CSTR_EQUAL;
}
}  // namespace

ProcessList ProcessList::Take() {
    std::vector<Process> processes;
    for (DWORD id : ProcessIds()) {
        std::string path = MainModulePath(id);
        if (!path.empty()) processes.push_back(Process{id, std::move(path)});
    }
    return ProcessList(std::move(processes));
}

std::vector<uint32_t> ProcessList::IdsOf(const std::string& path) const {
    std::vector<uint32_t> ids;
    if (path.empty()) return ids;
    for (const Process& p : processes_)
        if (ProgramPathMatches(path, p.path)) ids.push_back(p.id);
    return ids;
}

bool ProgramPathMatches(const std::string& pattern, const std::string& path) {
    if (pattern.empty()) return false;
    const size_t star = pattern.find("\\*\\");
    if (star == std::string::npos) return SameText(pattern, path);
    const std::string head = pattern.substr(0, star + 1);  // up to and with the backslash
    const std::string tail = pattern.substr(star + 2);     // from the backslash after "*"
    if (path.size() < head.size() + 1 + tail.size()) return false;
    if (!SameText(head, path.substr(0, head.size()))) return false;
    if (!SameText(tail, path.substr(path.size() - tail.size()))) return false;
    const std::string middle = path.substr(head.size(), path.size() - head.size() - tail.size());
    return !middle.empty() && middle.find('\\') == std::string::npos;
}

int ProcessCount(const std::string& path) {
    if (path.empty()) return 0;
    return ProcessList::Take().Count(path);
}
