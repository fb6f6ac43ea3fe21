#include "platform/AnsiText.h"

#include <windows.h>

std::wstring WideFromAnsi(const std::string& text) {
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

std::string AnsiFromWide(const std::wstring& wide) {
    if (wide.empty()) return {};
    BOOL lossy = FALSE;
    const int n = ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                        nullptr, &lossy);
    if (n <= 0 || lossy) return {};
    std::string text(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &text[0], n, nullptr, &lossy);
    return lossy ? std::string() : text;
}
