#include "win/WideText.h"

namespace setup {

std::wstring ToWide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::u16string FromWide(const wchar_t* text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}

std::u16string FromWide(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

std::u16string FromAnsiCodePage(const std::string& text) {
    if (text.empty()) return std::u16string();
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    if (n <= 0) return std::u16string();
    std::wstring out(size_t(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &out[0], n);
    return FromWide(out);
}

}  // namespace setup
