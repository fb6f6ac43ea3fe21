#pragma once
// Reads one line of another process's result list as the cleaner stores it: six header units
// (value + 1: kind, state, the four text lengths in UTF-16 units), then the texts in UTF-16. Read
// with the wide LB_GETTEXT (Wine answers a cross-process ANSI one with UTF-16 anyway); the texts
// come back in UTF-8.
#include <windows.h>

#include <string>

struct ListLineText {
    int kind = -1, state = -1;
    std::string texts[4];  // name, files, items, size
};

inline std::string Utf8Of(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], n, nullptr, nullptr);
    return text;
}

inline ListLineText ReadListLine(HWND list, int index) {
    ListLineText line;
    const LRESULT n = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n < 6 || n > 8192) return line;
    std::wstring wide(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got = ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&wide[0]));
    if (got < 6 || got > n) return line;
    wide.resize(static_cast<size_t>(got));
    line.kind = static_cast<int>(wide[0]) - 1;
    line.state = static_cast<int>(wide[1]) - 1;
    size_t pos = 6;
    for (size_t t = 0; t < 4; ++t) {
        const size_t length = static_cast<size_t>(wide[2 + t]) - 1;
        if (pos + length > wide.size()) break;
        line.texts[t] = Utf8Of(wide.substr(pos, length));
        pos += length;
    }
    return line;
}
