#pragma once
#include "targets/Target.h"
#include "targets/TargetConditions.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The cleaning-entry files other cleaners' users share ("winapp2.ini"): one section per program,
// read into targets of the Applications category. Paths keep their %Variable% references; the
// Win32 side expands them when it builds working entries, so a stored import follows the user's
// folders wherever they are.

constexpr size_t kMaxWinappFileBytes = 16u * 1024u * 1024u;

// FileKeyN=path|pattern[;pattern...][|RECURSE|REMOVESELF]
struct WinappFileKey {
    std::string folder;                 // as written, variables unexpanded, no trailing backslash
    std::vector<std::string> patterns;  // each a file-name wildcard
    bool recurse = false;
    bool removeSelf = false;            // also removes the folders the entry empties; implies recurse
};

// RegKeyN=key[|value]
struct WinappRegKey {
    uint32_t root = 0;                  // predefined root handle value (0x80000001 for HKCU)
    std::string key;
    std::optional<std::string> value;   // one named value; none: the whole key
};

// ExcludeKeyN=FILE|folder\|name, PATH|folder\[|pattern], REG|key[|value]
struct WinappExclude {
    enum class Kind { File, Path, Reg } kind = Kind::File;
    std::string folder;                 // File, Path: variables unexpanded, no trailing backslash
    std::string pattern;                // File: the file name; Path: the wildcard ("" = everything)
    uint32_t root = 0;                  // Reg
    std::string key;                    // Reg
    std::optional<std::string> value;   // Reg
};

struct WinappTarget {
    std::string name;                   // the section name without its trailing " *"
    std::string group;                  // Section=, or the LangSecRef's group, or "Applications"
    std::string warning;
    std::vector<TargetCondition> conditions;
    // Each key as written ("FileKey3=..."), in file order: the report names refused entries by it.
    std::vector<std::pair<std::string, WinappFileKey>> files;
    std::vector<std::pair<std::string, WinappRegKey>> keys;
    std::vector<WinappExclude> excludes;
};

struct WinappReadResult {
    bool ok = false;                    // false: the whole file was refused (error says why)
    std::string error;
    std::vector<WinappTarget> targets;
    // Lines that gave nothing, each "section: line: reason".
    std::vector<std::string> skipped;
};

// Converts bytes in the ANSI code page to UTF-8; false when a byte has no form.
using AnsiToUtf8 = std::function<bool(std::string_view, std::string&)>;

// Reads a whole file: UTF-8 or ANSI (taken as ANSI when it is not valid UTF-8), with or without a
// byte order mark, CR LF or LF lines, at most kMaxWinappFileBytes.
[[nodiscard]] WinappReadResult ReadWinappIni(std::string_view bytes, const AnsiToUtf8& ansi);

// The key parsers, shared by the reader and the stored form. Each gives none, with the reason, for
// a value it cannot take.
[[nodiscard]] std::optional<WinappFileKey> ParseWinappFileKey(std::string_view value, std::string& reason);
[[nodiscard]] std::optional<WinappRegKey> ParseWinappRegKey(std::string_view value, std::string& reason);
[[nodiscard]] std::optional<WinappExclude> ParseWinappExclude(std::string_view value, std::string& reason);
// The written forms the parsers read back.
[[nodiscard]] std::string WinappFileKeyText(const WinappFileKey& key);
[[nodiscard]] std::string WinappRegKeyText(const WinappRegKey& key);
[[nodiscard]] std::string WinappExcludeText(const WinappExclude& exclude);

// The variables a path may start with, as the file spells them (compared without case). A path
// that starts with another %...% is refused.
[[nodiscard]] const std::vector<std::string>& WinappVariables();
// The variable a path starts with ("%AppData%" -> "appdata", lower case), "" when it starts with
// none; rest receives what follows it.
[[nodiscard]] std::string WinappPathVariable(const std::string& path, std::string& rest);
