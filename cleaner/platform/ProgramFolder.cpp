#include "platform/ProgramFolder.h"

#include "platform/AnsiText.h"

#include <windows.h>

namespace {

// The longest name the cleaner appends to its folder ("\APPPLUGS\" and a plug-in's 8.3 name,
// "\CustomTargets.tgs", "\Tracelorn.chm"), with room to spare; the ANSI calls stop at MAX_PATH.
constexpr size_t kChildNameReserve = 40;

std::wstring ModulePathW() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            // A program started through its "\\?\" form reports it; the ANSI calls take the plain one.
            if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) path.erase(2, 6);
            else if (path.rfind(L"\\\\?\\", 0) == 0) path.erase(0, 4);
            return path;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// A path the ANSI calls can use for the program and everything beside it.
bool FitsAnsiCalls(const std::string& path) {
    const std::string folder = FolderOf(path);
    return !folder.empty() && folder.size() + kChildNameReserve < MAX_PATH;
}

}  // namespace

std::string AnsiProgramPath(const std::wstring& wide) {
    if (wide.empty()) return {};
    std::string path = AnsiFromWide(wide);
    if (FitsAnsiCalls(path)) return path;
    // A deep or non-ANSI folder may still have a short form the ANSI calls can use.
    std::wstring shortForm(wide.size() + 1, L'\0');
    const DWORD n = ::GetShortPathNameW(wide.c_str(), &shortForm[0], static_cast<DWORD>(shortForm.size()));
    if (n == 0 || n >= shortForm.size()) return {};
    shortForm.resize(n);
    path = AnsiFromWide(shortForm);
    return FitsAnsiCalls(path) ? path : std::string();
}

std::string ExecutablePath() { return AnsiProgramPath(ModulePathW()); }

std::string ExecutableFolder() { return FolderOf(ExecutablePath()); }
