#include "engine/WalkRootGuard.h"

#include <algorithm>

std::string NormaliseFolderForCompare(const std::string& folder) {
    std::string s;
    s.reserve(folder.size());
    for (char c : folder) {
        if (c == '/') c = '\\';
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        s.push_back(c);
    }
    // "\\?\C:\x" and "C:\x" name the same folder.
    if (s.rfind("\\\\?\\", 0) == 0 && s.size() >= 6 && s[5] == ':') s.erase(0, 4);
    while (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

WalkRootGuard::WalkRootGuard(std::vector<std::string> protectedFolders) {
    for (const std::string& f : protectedFolders) {
        std::string n = NormaliseFolderForCompare(f);
        if (!n.empty()) protected_.push_back(std::move(n));
    }
}

bool WalkRootGuard::IsVolumeRoot(const std::string& folder) {
    const std::string n = NormaliseFolderForCompare(folder);
    if (n.empty()) return true;
    if (n.size() == 2 && n[1] == ':') return true;  // "c:" once the separator is gone
    if (n.rfind("\\\\", 0) == 0) {                    // "\\server\share" and "\\server"
        const std::string rest = n.substr(2);
        return std::count(rest.begin(), rest.end(), '\\') <= 1;
    }
    return false;
}

bool WalkRootGuard::MayWalkRecursively(const std::string& folder) const {
    if (IsVolumeRoot(folder)) return false;
    const std::string n = NormaliseFolderForCompare(folder);
    for (const std::string& p : protected_) {
        // The folder itself, or any folder above it.
        if (p == n) return false;
        if (p.size() > n.size() && p.compare(0, n.size(), n) == 0 && p[n.size()] == '\\') return false;
    }
    return true;
}
