#include "platform/ProgramFolder.h"

#include <windows.h>

std::string ExecutablePath() {
    char path[MAX_PATH] = {};
    DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    return std::string(path, n);
}

std::string ExecutableFolder() {
    std::string path = ExecutablePath();
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}
