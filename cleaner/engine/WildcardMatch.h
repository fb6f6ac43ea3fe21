#pragma once
#include <string_view>

// Whether a long file name matches a folder-walk wildcard ('*' any run, '?' one character, case
// ignored in ASCII). The file search also matches masks against 8.3 short names, so "*.CHK" finds
// "notes.chkdsk" through NOTES~1.CHK and "*.tmp" finds "report.tmpl": every name the search
// returns is checked again here before it is counted or removed. As with the search itself, "*.*"
// matches every name, and a mask ending in ".*" also matches the name without any extension.
[[nodiscard]] bool MatchesWildcard(std::string_view name, std::string_view mask);

// Whether a mask selects every name ("", "*", "*.*", "**", ...).
[[nodiscard]] bool WildcardMatchesEverything(std::string_view mask);
