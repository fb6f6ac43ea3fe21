#include "targets/ProfileLists.h"

#include "targets/JsonCursor.h"

#include <cctype>
#include <cstdint>

namespace {

// --- Local State: a strict JSON reader that keeps only the keys of profile.info_cache ---

class LocalStateReader {
public:
    explicit LocalStateReader(std::string_view text) : json_(text), size_(text.size()) {}

    std::optional<std::vector<std::string>> Read() {
        if (size_ > kMaxLocalStateBytes) return std::nullopt;
        if (!Value(Place::Top, 0) || !json_.AtEnd() || !found_) return std::nullopt;
        return keys_;
    }

private:
    // Where a value stands: only the objects on the way to info_cache matter.
    enum class Place { Other, Top, Profile, InfoCache };

    bool Value(Place place, int depth) {
        if (depth > kMaxJsonDepth) return false;
        const char c = json_.Next();
        if (c == '{') return Object(place, depth + 1);
        if (c == '[') return Array(depth + 1);
        if (c == '"') {
            std::string ignored;
            return json_.String(ignored);
        }
        return json_.Scalar();
    }

    bool Object(Place place, int depth) {
        (void)json_.Consume('{');
        if (place == Place::InfoCache) {
            found_ = true;
            keys_.clear();  // a repeated key: the last object counts, as for any JSON reader
        }
        if (json_.Consume('}')) return true;
        do {
            std::string key;
            if (!json_.String(key) || !json_.Consume(':')) return false;
            Place inner = Place::Other;
            if (place == Place::Top && key == "profile") inner = Place::Profile;
            if (place == Place::Profile && key == "info_cache") inner = Place::InfoCache;
            if (place == Place::InfoCache) keys_.push_back(key);
            if (!Value(inner, depth)) return false;
        } while (json_.Consume(','));
        return json_.Consume('}');
    }

    bool Array(int depth) {
        (void)json_.Consume('[');
        if (json_.Consume(']')) return true;
        do {
            if (!Value(Place::Other, depth)) return false;
        } while (json_.Consume(','));
        return json_.Consume(']');
    }

    JsonCursor json_;
    size_t size_;
    bool found_ = false;
    std::vector<std::string> keys_;
};

// --- profiles.ini ---

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool IsProfileSection(std::string_view name) {
    if (name.size() <= 7 || !EqualsNoCase(name.substr(0, 7), "Profile")) return false;
    for (char c : name.substr(7))
        if (c < '0' || c > '9') return false;
    return true;
}

bool AllDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

bool IsDeviceName(std::string_view name) {
    // The device names stay devices with any extension: "nul.txt" is NUL.
    const std::string_view stem = name.substr(0, name.find('.'));
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (EqualsNoCase(Trim(stem), device)) return true;
    if (stem.size() == 4 && (EqualsNoCase(stem.substr(0, 3), "COM") || EqualsNoCase(stem.substr(0, 3), "LPT")) &&
        stem[3] >= '0' && stem[3] <= '9')
        return true;
    return false;
}

// Splits at \ and /.
std::vector<std::string_view> Components(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t sep = path.find_first_of("\\/", start);
        if (sep == std::string_view::npos) {
            parts.push_back(path.substr(start));
            return parts;
        }
        parts.push_back(path.substr(start, sep - start));
        start = sep + 1;
    }
}

}  // namespace

std::optional<std::vector<std::string>> LocalStateProfileKeys(std::string_view json) {
    return LocalStateReader(json).Read();
}

std::vector<MozillaProfileEntry> ProfilesIniEntries(std::string_view ini) {
    ini = ini.substr(0, kMaxProfilesIniBytes);
    std::vector<MozillaProfileEntry> entries;
    bool inProfile = false, havePath = false, haveRelative = false;
    MozillaProfileEntry current;
    auto finish = [&] {
        if (inProfile && havePath && !current.path.empty()) entries.push_back(current);
        current = MozillaProfileEntry();
        havePath = haveRelative = false;
    };
    size_t pos = 0;
    while (pos < ini.size()) {
        size_t eol = ini.find('\n', pos);
        if (eol == std::string_view::npos) eol = ini.size();
        const std::string_view line = Trim(ini.substr(pos, eol - pos));
        pos = eol + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            finish();
            inProfile = IsProfileSection(Trim(line.substr(1, close - 1)));
            continue;
        }
        if (!inProfile) continue;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = Trim(line.substr(0, eq));
        const std::string_view value = Trim(line.substr(eq + 1));
        if (EqualsNoCase(key, "Path") && !havePath) {
            current.path = std::string(value);
            havePath = true;
        } else if (EqualsNoCase(key, "IsRelative") && !haveRelative) {
            current.relative = value != "0";
            haveRelative = true;
        }
    }
    finish();
    return entries;
}

bool IsSafePathComponent(std::string_view name) {
    if (name.empty() || name.size() > kMaxProfileNameLength) return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F) return false;
        if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) return false;
    }
    if (name.find_first_not_of(". ") == std::string_view::npos) return false;
    if (name.back() == '.' || name.back() == ' ' || name.front() == ' ') return false;
    return !IsDeviceName(name);
}

bool IsChromiumProfileFolder(std::string_view name) {
    return IsSafePathComponent(name) && !EqualsNoCase(name, "System Profile");
}

bool IsStandardChromiumProfileFolder(std::string_view name) {
    if (name == "Default") return true;
    return name.size() > 8 && name.substr(0, 8) == "Profile " && AllDigits(name.substr(8)) && name.size() <= 20;
}

std::optional<std::string> MozillaRelativeProfile(std::string_view path) {
    const std::vector<std::string_view> parts = Components(path);
    if (parts.size() == 1 && IsSafePathComponent(parts[0])) return std::string(parts[0]);
    if (parts.size() == 2 && EqualsNoCase(parts[0], "Profiles") && IsSafePathComponent(parts[1]))
        return std::string(parts[0]) + "\\" + std::string(parts[1]);
    return std::nullopt;
}

std::optional<std::string> MozillaAbsoluteProfile(std::string_view path) {
    if (path.size() < 4 || path.size() > 200) return std::nullopt;
    const char drive = path[0];
    if (!std::isalpha(static_cast<unsigned char>(drive)) || path[1] != ':' || (path[2] != '\\' && path[2] != '/'))
        return std::nullopt;
    std::string_view rest = path.substr(3);
    while (!rest.empty() && (rest.back() == '\\' || rest.back() == '/')) rest.remove_suffix(1);
    if (rest.empty()) return std::nullopt;  // a drive root is no profile
    std::string out = std::string(path.substr(0, 2)) + "\\";
    bool first = true;
    for (std::string_view part : Components(rest)) {
        if (!IsSafePathComponent(part)) return std::nullopt;
        if (!first) out += '\\';
        out += std::string(part);
        first = false;
    }
    return out;
}
