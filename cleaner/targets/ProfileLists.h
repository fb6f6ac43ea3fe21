#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Platform-neutral readers of the files that list a browser's profiles, and the rules a listed
// profile must pass before any path is built from it. Both files belong to the browser and may be
// damaged or crafted: the readers take bytes, never throw, bound their work by the input, and the
// rules keep every profile folder a plain folder below its browser's root.

// The keys of the object "profile" -> "info_cache" of a Chromium-family "Local State" file, in file
// order, as decoded JSON strings (UTF-8). Nothing when the text is not well-formed JSON (a single
// value, nesting at most kMaxJsonDepth deep, nothing but white space after it), has no such object,
// or is larger than kMaxLocalStateBytes. The keys are not yet judged: see IsChromiumProfileFolder.
constexpr size_t kMaxLocalStateBytes = 16 * 1024 * 1024;
constexpr int kMaxJsonDepth = 64;
std::optional<std::vector<std::string>> LocalStateProfileKeys(std::string_view json);

// One [ProfileN] section of a Mozilla profiles.ini: its "Path" and whether "IsRelative" is other
// than 0 (a missing IsRelative counts as relative, as the browser writes it for every profile of
// its own folder).
struct MozillaProfileEntry {
    std::string path;
    bool relative = true;
};

// Every [Profile<digits>] section with a non-empty Path, in file order. Section and key names are
// matched without regard to case, lines may end in CR LF, ';' and '#' start comments, and the first
// occurrence of a key in a section wins. Text after kMaxProfilesIniBytes is not read.
constexpr size_t kMaxProfilesIniBytes = 256 * 1024;
std::vector<MozillaProfileEntry> ProfilesIniEntries(std::string_view ini);

// One path component that names a folder as itself: not empty, at most kMaxProfileNameLength
// characters, printable ASCII without \ / : * ? " < > |, not made of dots and spaces only (".",
// "..", ". ."), no trailing dot or space (the file system would drop them and name another folder),
// and not a device name (CON, NUL, COM1, ...).
constexpr size_t kMaxProfileNameLength = 100;
[[nodiscard]] bool IsSafePathComponent(std::string_view name);

// A Chromium-family profile folder name from Local State: a safe component, and never
// "System Profile", which the browser keeps for itself.
[[nodiscard]] bool IsChromiumProfileFolder(std::string_view name);

// The fall-back for a Local State that cannot be read: "Default" and "Profile <digits>".
[[nodiscard]] bool IsStandardChromiumProfileFolder(std::string_view name);

// A relative profiles.ini Path as the folder below the browser's root, with backslashes: one safe
// component, or "Profiles" and one safe component (the browser's own layout). Nothing else.
std::optional<std::string> MozillaRelativeProfile(std::string_view path);

// An absolute profiles.ini Path (IsRelative=0): a drive-letter path "X:\..." whose every component
// is safe, returned with backslashes and without a trailing one. Nothing else (no UNC share, no
// relative part, no "..").
std::optional<std::string> MozillaAbsoluteProfile(std::string_view path);
