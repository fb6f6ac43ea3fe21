#include "platform/Text.h"

#include <windows.h>

namespace {

bool ToWide(UINT codePage, DWORD flags, std::string_view text, std::wstring& out) {
    out.clear();
    if (text.empty()) return true;
    const int length = static_cast<int>(text.size());
    const int n = ::MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<size_t>(n));
    if (::MultiByteToWideChar(codePage, flags, text.data(), length, &out[0], n) != n) {
        out.clear();
        return false;
    }
    return true;
}

}  // namespace

bool WideFromUtf8(std::string_view text, std::wstring& out) {
    return ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, text, out);
}

std::wstring WideFromUtf8(std::string_view text) {
    std::wstring wide;
    if (!WideFromUtf8(text, wide)) wide.clear();
    return wide;
}

std::wstring_view TrimNul(std::wstring_view wide) {
    const size_t nul = wide.find(L'\0');
    return nul == std::wstring_view::npos ? wide : wide.substr(0, nul);
}

bool Utf8FromWide(std::wstring_view wide, std::string& out) {
    out.clear();
    if (wide.empty()) return true;
    const int length = static_cast<int>(wide.size());
    const int n = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, nullptr, 0,
                                        nullptr, nullptr);
    if (n <= 0) return false;
    out.resize(static_cast<size_t>(n));
    if (::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, &out[0], n, nullptr,
                              nullptr) != n) {
        out.clear();
        return false;
    }
    return true;
}

std::string Utf8FromWide(std::wstring_view wide) {
    std::string text;
    if (!Utf8FromWide(wide, text)) text.clear();
    return text;
}

bool Utf8FromAnsi(std::string_view ansi, std::string& out) {
    out.clear();
    std::wstring wide;
    return ToWide(CP_ACP, MB_ERR_INVALID_CHARS, ansi, wide) && Utf8FromWide(wide, out);
}

bool AnsiFromUtf8(std::string_view text, std::string& out) {
    out.clear();
    std::wstring wide;
    if (!WideFromUtf8(text, wide)) return false;
    if (wide.empty()) return true;
    const int length = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), length, nullptr, 0,
                                        nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    out.resize(static_cast<size_t>(n));
    if (::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), length, &out[0], n, nullptr,
                              &lossy) != n || lossy) {
        out.clear();
        return false;
    }
    return true;
}

std::wstring SystemPath(std::string_view path) {
    std::wstring wide;
    if (!WideFromUtf8(path, wide)) return {};
    if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;  // 12: CreateDirectory's 8.3 room
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    if (wide.size() > 2 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
    if (wide.rfind(L"\\\\", 0) == 0 && wide.rfind(L"\\\\.\\", 0) != 0) return L"\\\\?\\UNC\\" + wide.substr(2);
    return wide;
}
