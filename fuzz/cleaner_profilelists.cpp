// Any bytes as a Chromium-family "Local State" and as a Mozilla profiles.ini with every profile:
// whatever the readers accept names one folder below the browser's root and nothing else. A
// Chromium profile key that passes is a single safe component (never "System Profile"); a relative
// Mozilla path gives "name" or "Profiles\name"; an absolute one gives a drive-letter path with no
// "..", no empty component, no forward slash and no trailing separator.
#include "targets/ProfileLists.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {
void Require(bool condition) {
    if (!condition) std::abort();
}

// Every backslash-separated part is a component the profile rules accept.
bool AllComponentsSafe(std::string_view path) {
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            if (!IsSafePathComponent(path.substr(start, i - start))) return false;
            start = i + 1;
        }
    }
    return true;
}

// "Profiles" in any case: the file system does not tell them apart.
bool IsProfilesFolder(std::string_view name) {
    static const char kProfiles[] = "profiles";
    if (name.size() != sizeof kProfiles - 1) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != kProfiles[i]) return false;
    return true;
}

void CheckChromium(std::string_view text) {
    const auto keys = LocalStateProfileKeys(text);
    if (!keys) return;
    for (const std::string& key : *keys) {
        if (!IsChromiumProfileFolder(key)) continue;
        Require(IsSafePathComponent(key));
        Require(key != "System Profile");
        Require(key.find_first_of("\\/:") == std::string::npos);
    }
}

void CheckMozilla(std::string_view text) {
    for (const MozillaProfileEntry& entry : ProfilesIniEntries(text)) {
        if (entry.relative) {
            const auto folder = MozillaRelativeProfile(entry.path);
            if (!folder) continue;
            Require(AllComponentsSafe(*folder));
            const size_t slash = folder->find('\\');
            Require(slash == std::string::npos ||
                    (IsProfilesFolder(std::string_view(*folder).substr(0, slash)) &&
                     folder->find('\\', slash + 1) == std::string::npos));
        } else {
            const auto folder = MozillaAbsoluteProfile(entry.path);
            if (!folder) continue;
            Require(folder->size() > 3 && (*folder)[1] == ':' && (*folder)[2] == '\\');
            Require(folder->back() != '\\' && folder->find('/') == std::string::npos);
            Require(AllComponentsSafe(std::string_view(*folder).substr(3)));
        }
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckChromium(text);
    CheckMozilla(text);
    return 0;
}
