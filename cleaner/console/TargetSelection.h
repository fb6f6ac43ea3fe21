#pragma once
#include <string>
#include <vector>

class TargetCatalog;

// Stable target ids and the selection a console run works on.
//
// A target's id is its category's caption and its name, "<category>/<target name>" ("Windows/
// Recycle Bin", "Firefox/Firefox Cookies"), so a scheduled command keeps naming the same target
// when plug-ins come and go around it.
std::string TargetId(const TargetCatalog& catalog, size_t index);

// '*' matches any run of characters, every other character itself, case ignored in ASCII.
[[nodiscard]] bool MatchesSelector(const std::string& id, const std::string& selector);

struct SelectionResult {
    std::vector<bool> selected;  // one per target
    std::string error;           // a usage error: a selector that matches nothing, a locked target
};

// The targets a run takes: the window's saved selection with preset, every target a selector
// names, and every target the administrator forces on. A forced-off target is never taken: a
// selector naming it without a wildcard is an error, a wildcard passes over it.
[[nodiscard]] SelectionResult SelectTargets(const TargetCatalog& catalog, const std::vector<std::string>& selectors,
                                            bool preset);
