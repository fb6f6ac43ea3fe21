#pragma once
#include <optional>
#include <string>

// Platform-neutral decisions of browser profile discovery: reading the first profile of a
// Mozilla-style profiles.ini and composing the profile folder from it safely.

// The longest path the cleaner composes: MAX_PATH - 1 characters.
constexpr size_t kMaxComposedPath = 259;

// The value of the key "Path" in the section [Profile0] of profiles.ini text, as the platform's
// ini reader returns it (section and key names case-insensitive, spaces around the key and the
// value trimmed, the first occurrence wins). Empty when the section or the key is missing; only
// this first profile is ever used.
std::string FirstProfileValue(const std::string& iniText);

// Whether a profiles.ini "Path" value may be appended to a browser's root folder: not empty, not
// absolute (no drive, no leading separator), no ".." component. A crafted profiles.ini must not
// point a browser's targets at other folders of the user.
[[nodiscard]] bool IsSafeProfileValue(const std::string& value);

// The profile folder root + value + "\", or nothing when the value is unsafe or the folder, with
// room for the longest file name the browser targets append to it, would be longer than
// kMaxComposedPath. root ends with a backslash.
std::optional<std::string> ComposeProfileFolder(const std::string& root, const std::string& value);

// root + value + "\" + tail (for the cache folders below the local application-data folder), or
// nothing when the value is unsafe or the path is longer than kMaxComposedPath.
std::optional<std::string> ComposeProfilePath(const std::string& root, const std::string& value,
                                              const std::string& tail);

// The longest name the browser targets append to a profile folder ("flock_favorites.rdf").
constexpr size_t kLongestProfileFileName = 19;
