#include "engine/WalkRootGuard.h"

#include <algorithm>

namespace {

bool StartsWith(const std::string& text, const char* head) { return text.rfind(head, 0) == 0; }

// Whether inner is folder itself or lies below it (both normalised).
bool IsSameOrBelow(const std::string& inner, const std::string& folder) {
    if (inner.size() < folder.size() || inner.compare(0, folder.size(), folder) != 0) return false;
    return inner.size() == folder.size() || inner[folder.size()] == '\\';
}

std::string ParentOf(const std::string& normalised) {
    const size_t slash = normalised.find_last_of('\\');
    return slash == std::string::npos ? std::string() : normalised.substr(0, slash);
}

}  // namespace

std::string NormaliseFolderForCompare(const std::string& folder) {
    std::string s;
    s.reserve(folder.size());
    for (char c : folder) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        s.push_back(c);
    }
    // "\\?\C:\x" and "C:\x" name the same folder, as do "\\?\UNC\srv\x" and "\\srv\x".
    if (StartsWith(s, "\\\\?\\unc\\")) s.erase(2, 6);
    else if (StartsWith(s, "\\\\?\\") && s.size() >= 6 && s[5] == ':') s.erase(0, 4);
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

bool IsAbsolutePath(const std::string& path) {
    if (path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) {
        const char d = static_cast<char>(path[0] | 0x20);
        return d >= 'a' && d <= 'z';
    }
    // "\\server\share": a server name must follow the two separators.
    return path.size() >= 3 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') &&
           path[2] != '\\' && path[2] != '/';
}

WalkRootGuard::WalkRootGuard(std::vector<std::string> protectedFolders, std::vector<std::string> profileContainers) {
    for (const std::string& f : protectedFolders) {
        std::string n = NormaliseFolderForCompare(f);
        if (!n.empty()) protected_.push_back(std::move(n));
    }
    for (const std::string& f : profileContainers) {
        std::string n = NormaliseFolderForCompare(f);
        if (!n.empty()) containers_.push_back(std::move(n));
    }
}

bool WalkRootGuard::IsVolumeRoot(const std::string& folder) {
    const std::string n = NormaliseFolderForCompare(folder);
    if (n.empty()) return true;
    if (n.size() == 2 && n[1] == ':') return true;  // "c:" once the separator is gone
    if (StartsWith(n, "\\\\")) {                     // "\\server\share" and "\\server"
        const std::string rest = n.substr(2);
        return std::count(rest.begin(), rest.end(), '\\') <= 1;
    }
    return n.find('\\') == std::string::npos;  // "\" alone, or a bare name
}

bool WalkRootGuard::MayWalk(const std::string& folder) const {
    if (!IsAbsolutePath(folder) || IsVolumeRoot(folder)) return false;
    const std::string n = NormaliseFolderForCompare(folder);
    // Anything "." or ".." still in the path has not been resolved, and could climb anywhere.
    const std::string wrapped = "\\" + n + "\\";
    if (wrapped.find("\\.\\") != std::string::npos || wrapped.find("\\..\\") != std::string::npos) return false;
    for (const std::string& p : protected_) {
        // The folder itself, or any folder above it.
        if (IsSameOrBelow(p, n)) return false;
    }
    for (const std::string& c : containers_) {
        // The container, anything above it, and each profile root directly inside it.
        if (IsSameOrBelow(c, n) || ParentOf(n) == c) return false;
    }
    return true;
}
