#include "targets/BrowserProfile.h"

#include <cctype>

namespace {

std::string Trim(const std::string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r')) --end;
    return text.substr(begin, end - begin);
}

bool EqualsNoCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    }
    return i == a.size() && b[i] == '\0';
}

}  // namespace

std::string FirstProfileValue(const std::string& iniText) {
    bool inSection = false;
    size_t pos = 0;
    while (pos < iniText.size()) {
        size_t eol = iniText.find('\n', pos);
        if (eol == std::string::npos) eol = iniText.size();
        const std::string line = Trim(iniText.substr(pos, eol - pos));
        pos = eol + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            if (close == std::string::npos) continue;
            inSection = EqualsNoCase(Trim(line.substr(1, close - 1)), "Profile0");
            continue;
        }
        if (!inSection) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        if (EqualsNoCase(Trim(line.substr(0, eq)), "Path")) return Trim(line.substr(eq + 1));
    }
    return std::string();
}

bool IsSafeProfileValue(const std::string& value) {
    if (value.empty()) return false;
    if (value[0] == '\\' || value[0] == '/') return false;
    if (value.find(':') != std::string::npos) return false;  // a drive or a stream name
    size_t start = 0;
    while (start <= value.size()) {
        size_t sep = value.find_first_of("\\/", start);
        if (sep == std::string::npos) sep = value.size();
        const std::string part = Trim(value.substr(start, sep - start));
        // Trailing dots and spaces are dropped by the file system, so "..." and ". ." are ".." too.
        if (part.size() >= 2 && part.find_first_not_of(". ") == std::string::npos) return false;
        start = sep + 1;
    }
    return true;
}

std::optional<std::string> ComposeProfileFolder(const std::string& root, const std::string& value) {
    if (!IsSafeProfileValue(value)) return std::nullopt;
    std::string folder = root + value + "\\";
    if (folder.size() + kLongestProfileFileName > kMaxComposedPath) return std::nullopt;
    return folder;
}

std::optional<std::string> ComposeProfilePath(const std::string& root, const std::string& value,
                                              const std::string& tail) {
    if (!IsSafeProfileValue(value)) return std::nullopt;
    std::string path = root + value + "\\" + tail;
    if (path.size() > kMaxComposedPath) return std::nullopt;
    return path;
}
