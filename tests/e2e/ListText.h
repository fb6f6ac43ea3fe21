#pragma once
// Reads one line of another process's list box as the cleaner stored it (ANSI bytes). Wine 8
// answers a cross-process LB_GETTEXT of the ANSI form with UTF-16 text, so the wide form is read
// and converted back through the same code page the list box used to store it.
#include <windows.h>

#include <string>

inline std::string ReadListText(HWND list, int index) {
    const LRESULT n = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n <= 0 || n > 8192) return {};
    std::wstring wide(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                                       reinterpret_cast<LPARAM>(&wide[0]));
    if (got <= 0 || got > n) return {};
    std::string text(static_cast<size_t>(got) * 2 + 1, '\0');
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(got), &text[0],
                                            static_cast<int>(text.size()), nullptr, nullptr);
    text.resize(bytes > 0 ? static_cast<size_t>(bytes) : 0);
    return text;
}
