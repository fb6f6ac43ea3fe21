#include "platform/SystemLibrary.h"

#include "platform/Text.h"

#include <string>

void RestrictDllSearchToSystemFolder() {
    // Looked up at run time: Vista and Windows 7 have it only with a later update.
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (set) (void)set(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Without it, at least the current folder leaves the search.
    else (void)::SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const char* name) {
    const std::wstring file = WideFromUtf8(name);
    if (file.empty()) return nullptr;
    if (HMODULE module = ::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    // A system without the search flags refuses them: name the file in the system folder instead.
    wchar_t folder[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, n) + L"\\" + file;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
