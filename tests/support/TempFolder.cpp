#include "support/TempFolder.h"

#include <cstdio>

namespace {

void MakeFoldersFor(const std::string& path) {
    for (size_t i = 3; i < path.size(); ++i) {
        if (path[i] == '\\') ::CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

}  // namespace

TempFolder::TempFolder() {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%stltest-%lu-%u\\", base, ::GetCurrentProcessId(), ++counter);
        if (::CreateDirectoryA(name, nullptr)) {
            path_ = name;
            break;
        }
    }
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::string TempFolder::MakeFile(const std::string& relative, size_t size) const {
    std::string content(size, '\0');
    for (size_t i = 0; i < size; ++i) content[i] = static_cast<char>('A' + i % 26);
    return MakeFileWith(relative, content);
}

std::string TempFolder::MakeFileWith(const std::string& relative, const std::string& content) const {
    const std::string full = path_ + relative;
    MakeFoldersFor(full);
    HANDLE h = ::CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return full;
    DWORD written = 0;
    if (!content.empty()) ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(h);
    return full;
}

std::string TempFolder::MakeFolder(const std::string& relative) const {
    std::string full = path_ + relative;
    if (full.back() != '\\') full += '\\';
    MakeFoldersFor(full);
    return full;
}

bool FileExists(const std::string& path) {
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    DWORD a = ::GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    HANDLE h = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    char buf[65536];
    DWORD got = 0;
    while (::ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    ::CloseHandle(h);
    return bytes;
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    std::string pattern = folder;
    if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((pattern + "*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string n = fd.cFileName;
        if (n != "." && n != "..") names.push_back(n);
    } while (::FindNextFileA(h, &fd));
    ::FindClose(h);
    return names;
}

void RemoveTree(const std::string& folder) {
    std::string base = folder;
    if (!base.empty() && base.back() != '\\') base += '\\';
    WIN32_FIND_DATAA fd;
    HANDLE h = ::FindFirstFileA((base + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = fd.cFileName;
            if (n == "." || n == "..") continue;
            const std::string full = base + n;
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(full);
            } else {
                ::SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                if (!::DeleteFileA(full.c_str())) ::RemoveDirectoryA(full.c_str());
            }
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
    }
    ::RemoveDirectoryA(base.c_str());
}
