#pragma once
// The Win32 boundary of the setup program's UTF-16 text: wchar_t is 16-bit on Windows.
#include <windows.h>

#include <string>

namespace setup {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the Win32 layer needs a 16-bit wchar_t");

std::wstring ToWide(const std::u16string& text);
std::u16string FromWide(const wchar_t* text);
std::u16string FromWide(const std::wstring& text);
// Tree-data names and other 8-bit text, through the system ANSI code page.
std::u16string FromAnsiCodePage(const std::string& text);

}  // namespace setup
