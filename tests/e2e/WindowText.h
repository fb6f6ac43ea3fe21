#pragma once
// The texts of another process's windows, as the end-to-end cases read them.
#include <windows.h>

#include <string>

namespace window_text {

inline std::string TextOf(HWND window) {
    char text[1024] = {};
    ::SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// A message box's text: its longest static text.
inline std::string MessageText(HWND box) {
    std::string text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char cls[32] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        if (std::string(cls) != "Static") continue;
        const std::string t = TextOf(child);
        if (t.size() > text.size()) text = t;
    }
    return text;
}

}  // namespace window_text
