#include "targets/ProfileLists.h"

#include <cctype>
#include <cstdint>

namespace {

// --- Local State: a strict JSON reader that keeps only the keys of profile.info_cache ---

class LocalStateReader {
public:
    explicit LocalStateReader(std::string_view text) : text_(text) {}

    std::optional<std::vector<std::string>> Read() {
        if (text_.size() > kMaxLocalStateBytes) return std::nullopt;
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;  // a byte-order mark
        SkipSpace();
        if (!Value(Place::Top, 0)) return std::nullopt;
        SkipSpace();
        if (pos_ != text_.size() || !found_) return std::nullopt;
        return keys_;
    }

private:
    // Where a value stands: only the objects on the way to info_cache matter.
    enum class Place { Other, Top, Profile, InfoCache };

    bool Value(Place place, int depth) {
        if (depth > kMaxJsonDepth || pos_ >= text_.size()) return false;
        const char c = text_[pos_];
        if (c == '{') return Object(place, depth + 1);
        if (c == '[') return Array(depth + 1);
        if (c == '"') {
            std::string ignored;
            return String(ignored);
        }
        if (c == '-' || (c >= '0' && c <= '9')) return Number();
        return Literal("true") || Literal("false") || Literal("null");
    }

    bool Object(Place place, int depth) {
        ++pos_;  // '{'
        if (place == Place::InfoCache) {
            found_ = true;
            keys_.clear();  // a repeated key: the last object counts, as for any JSON reader
        }
        SkipSpace();
        if (Peek('}')) return true;
        for (;;) {
            SkipSpace();
            std::string key;
            if (pos_ >= text_.size() || text_[pos_] != '"' || !String(key)) return false;
            SkipSpace();
            if (!Peek(':')) return false;
            SkipSpace();
            Place inner = Place::Other;
            if (place == Place::Top && key == "profile") inner = Place::Profile;
            if (place == Place::Profile && key == "info_cache") inner = Place::InfoCache;
            if (place == Place::InfoCache) keys_.push_back(key);
            if (!Value(inner, depth)) return false;
            SkipSpace();
            if (Peek(',')) continue;
            return Peek('}');
        }
    }

    bool Array(int depth) {
        ++pos_;  // '['
        SkipSpace();
        if (Peek(']')) return true;
        for (;;) {
            SkipSpace();
            if (!Value(Place::Other, depth)) return false;
            SkipSpace();
            if (Peek(',')) continue;
            return Peek(']');
        }
    }

    // Consumes c when it is next.
    bool Peek(char c) {
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool Literal(const char* word) {
        const std::string_view w(word);
        if (text_.substr(pos_, w.size()) != w) return false;
        pos_ += w.size();
        return true;
    }

    bool Digits() {
        const size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
        return pos_ > start;
    }

    bool Number() {
        (void)Peek('-');
        if (!Peek('0') && !Digits()) return false;  // a leading 0 stands alone
        if (Peek('.') && !Digits()) return false;
        if (Peek('e') || Peek('E')) {
            if (!Peek('+')) (void)Peek('-');
            if (!Digits()) return false;
        }
        return true;
    }

    bool Hex4(uint32_t& value) {
        if (text_.size() - pos_ < 4) return false;
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[pos_++];
            value <<= 4;
            if (c >= '0' && c <= '9') value |= static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f') value |= static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') value |= static_cast<uint32_t>(c - 'A' + 10);
            else return false;
        }
        return true;
    }

    static void AppendUtf8(std::string& out, uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    bool Escape(std::string& out) {
        if (pos_ >= text_.size()) return false;
        const char c = text_[pos_++];
        switch (c) {
            case '"': out += '"'; return true;
            case '\\': out += '\\'; return true;
            case '/': out += '/'; return true;
            case 'b': out += '\b'; return true;
            case 'f': out += '\f'; return true;
            case 'n': out += '\n'; return true;
            case 'r': out += '\r'; return true;
            case 't': out += '\t'; return true;
            case 'u': break;
            default: return false;
        }
        uint32_t cp = 0;
        if (!Hex4(cp)) return false;
        if (cp >= 0xD800 && cp <= 0xDBFF && text_.substr(pos_, 2) == "\\u") {
            const size_t mark = pos_;
            pos_ += 2;
            uint32_t low = 0;
            if (!Hex4(low)) return false;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            } else {
                pos_ = mark;  // not a pair: the high half stands alone
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;  // a lone half names no character
        AppendUtf8(out, cp);
        return true;
    }

    bool String(std::string& out) {
        ++pos_;  // '"'
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c == '\\') {
                if (!Escape(out)) return false;
                continue;
            }
            out += c;
        }
        return false;
    }

    void SkipSpace() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }

    std::string_view text_;
    size_t pos_ = 0;
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
