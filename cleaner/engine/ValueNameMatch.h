#pragma once
#include <string>
#include <string_view>

// How a registry entry's value-name pattern selects names. All is never tested name by name: the
// walks count or delete every value without reading names.
enum class ValueMatchMode : int { All = 0, Exact = 1, Prefix = 2, Contains = 3, Suffix = 4 };

struct ValueMatch {
    ValueMatchMode mode = ValueMatchMode::All;
    std::string text;  // the pattern without its leading or trailing '*'
};

// Derives mode and text from a pattern as entered. Only a leading and a trailing '*' are wildcards;
// a '*' anywhere else is an ordinary character. "*" and "**" give Exact with no text, which matches
// every name (but, unlike All, never deletes subkeys).
ValueMatch DeriveValueMatch(const std::string& pattern);

// Folds one character for comparisons that ignore case. The cleaner passes the ANSI code page's
// locale fold; the native build and the default use an ASCII fold.
using CaseFold = char (*)(char);
char AsciiFold(char c);

// The name test of both registry walks, without the stop checkpoint (the entry adds it). Mode All,
// which the walks never pass here, gives false.
bool MatchesValueName(const ValueMatch& match, std::string_view name, CaseFold fold = AsciiFold);
