#include "skin/WindowText.h"

#include "platform/Text.h"

namespace window_text {

std::string Get(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return std::string();
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(window, &wide[0], length + 1);
    wide.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return Utf8FromWide(wide);
}

bool Set(HWND window, const std::string& text) {
    return ::SetWindowTextW(window, WideFromUtf8(text).c_str()) != FALSE;
}

int Draw(HDC dc, const std::string& text, RECT& rect, UINT format) {
    const std::wstring wide = WideFromUtf8(text);
    return ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, format);
}

void Out(HDC dc, int x, int y, const std::string& text) {
    const std::wstring wide = WideFromUtf8(text);
    ::TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

SIZE Extent(HDC dc, const std::string& text) {
    const std::wstring wide = WideFromUtf8(text);
    SIZE size{};
    ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size;
}

int Message(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    return ::MessageBoxW(owner, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), type);
}

}  // namespace window_text
