#include "platform/ProgramFolder.h"

#include "platform/Text.h"

#include <windows.h>

namespace {

std::wstring ModulePathW() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
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

}  // namespace

std::string ProgramPathFromWide(std::wstring wide) {
    // A program started through its "\\?\" form reports it; paths beside it are built plain.
    if (wide.rfind(L"\\\\?\\UNC\\", 0) == 0) wide.erase(2, 6);
    else if (wide.rfind(L"\\\\?\\", 0) == 0) wide.erase(0, 4);
    std::string path;
    if (wide.empty() || !Utf8FromWide(wide, path)) return {};
    return FolderOf(path).empty() ? std::string() : path;
}

std::string ExecutablePath() { return ProgramPathFromWide(ModulePathW()); }

std::string ExecutableFolder() { return FolderOf(ExecutablePath()); }
