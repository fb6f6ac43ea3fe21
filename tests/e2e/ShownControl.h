#pragma once
// Finds a control of another process's dialog by its id. Options and the custom target editor keep
// their pages as child dialogs and show one at a time, and pages may share control ids, so only a
// shown control counts.
#include <windows.h>

namespace shown_control {

struct Search {
    HWND skipChildrenOf;  // when set, that window's own controls do not count
    int id;
    HWND found;
};

inline HWND Find(HWND window, HWND skipChildrenOf, int id) {
    Search search{skipChildrenOf, id, nullptr};
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (s->skipChildrenOf && ::GetParent(child) == s->skipChildrenOf) return TRUE;
            if (::GetDlgCtrlID(child) != s->id || !::IsWindowVisible(child)) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace shown_control

// A shown control with this id anywhere inside `window` (the pages of a dialog are its children).
inline HWND ShownDescendant(HWND window, int id) { return shown_control::Find(window, nullptr, id); }

// The same, but only on the window's pages: the editor's kind radios share their ids with fields
// of its property pages.
inline HWND ShownOnPage(HWND window, int id) { return shown_control::Find(window, window, id); }
