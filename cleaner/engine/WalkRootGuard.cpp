#include "engine/WalkRootGuard.h"

#include <algorithm>

namespace {

bool StartsWith(const std::string& text, const char* head) { return text.rfind(head, 0) == 0; }

// Whether inner is folder itself or lies below it (both normalised).
bool IsSameOrBelow(const std::string& inner, const std::string& folder) {
    if (inner.size() < folder.size() || inner.compare(0, folder.size(), folder) != 0) return false;
    return inner.size() == folder.size() || inner[folder.size()] == '\\';
}

bool EndsWith(const std::string& text, const char* tail) {
    const size_t n = std::char_traits<char>::length(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

std::vector<std::string> Split(const std::string& normalised) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= normalised.size()) {
        const size_t slash = normalised.find('\\', start);
        const size_t end = slash == std::string::npos ? normalised.size() : slash;
        parts.push_back(normalised.substr(start, end - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return parts;
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

WalkRootGuard::WalkRootGuard(std::vector<std::string> protectedFolders, std::vector<std::string> profileContainers,
                             std::vector<ProtectedPlace> places, std::vector<std::string> profiles) {
    for (const std::string& f : protectedFolders) {
        std::string n = NormaliseFolderForCompare(f);
        if (!n.empty()) protected_.push_back(std::move(n));
    }
    for (const std::string& f : profileContainers) {
        std::string n = NormaliseFolderForCompare(f);
        if (!n.empty()) containers_.push_back(std::move(n));
    }
    for (ProtectedPlace& p : places) {
        std::string n = NormaliseFolderForCompare(p.folder);
        if (!n.empty()) places_.push_back(Place{std::move(n), p.kind, std::move(p.label)});
    }
    for (const std::string& f : profiles) {
        std::string n = NormaliseFolderForCompare(f);
        if (!n.empty()) profiles_.push_back(std::move(n));
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

bool WalkRootGuard::IsAtOrAboveProtected(const std::string& folder) const {
    if (!IsAbsolutePath(folder) || IsVolumeRoot(folder)) return true;
    const std::string n = NormaliseFolderForCompare(folder);
    // Anything "." or ".." still in the path has not been resolved, and could climb anywhere.
    const std::string wrapped = "\\" + n + "\\";
    if (wrapped.find("\\.\\") != std::string::npos || wrapped.find("\\..\\") != std::string::npos) return true;
    for (const std::string& p : protected_)
        if (IsSameOrBelow(p, n)) return true;  // the folder itself, or any folder above it
    for (const std::string& c : containers_) {
        // The container, anything above it, and each profile root directly inside it.
        if (IsSameOrBelow(c, n) || ParentOf(n) == c) return true;
    }
    for (const std::string& p : profiles_)
        if (IsSameOrBelow(p, n)) return true;
    for (const Place& p : places_)
        if (IsSameOrBelow(p.folder, n)) return true;
    return false;
}

PlaceVerdict WalkRootGuard::PlaceOf(const std::string& path) const {
    const std::string n = NormaliseFolderForCompare(path);
    PlaceVerdict found;
    const auto take = [&found](PlaceKind kind, const std::string& label) {
        if (found.kind == PlaceKind::KeyMaterial) return;
        found.kind = kind;
        found.label = label;
    };
    if (n.empty()) return found;
    for (const Place& p : places_)
        if (IsSameOrBelow(n, p.folder)) take(p.kind, p.label);
    if (found.kind == PlaceKind::KeyMaterial) return found;

    // Places known by their form, wherever they are and whenever they were made.
    if (EndsWith(n, ".pst") || EndsWith(n, ".ost")) take(PlaceKind::UserFiles, "an Outlook mail store");
    for (const std::string& profile : profiles_) {
        if (n.size() > profile.size() + 1 && IsSameOrBelow(n, profile) &&
            n.compare(profile.size() + 1, 8, "onedrive") == 0)
            take(PlaceKind::UserFiles, "your OneDrive folder, whose deletions reach the cloud copy");
    }
    const std::vector<std::string> parts = Split(n);
    for (size_t i = 0; i + 3 < parts.size(); ++i) {
        if (parts[i] == "thunderbird" && parts[i + 1] == "profiles" &&
            (parts[i + 3] == "mail" || parts[i + 3] == "imapmail"))
            take(PlaceKind::UserFiles, "Thunderbird's mail");
    }
    return found;
}

bool WalkRootGuard::MayWalk(const std::string& folder) const {
    return !IsAtOrAboveProtected(folder) && PlaceOf(folder).kind == PlaceKind::Open;
}
