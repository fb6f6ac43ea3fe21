#pragma once
// Text conversions of the setup program. Its own text is UTF-16 in std::u16string; archive member
// names are UTF-8; tree-data names are 8-bit (all the names this program uses are ASCII).
#include <string>

namespace setup {

// Invalid or truncated sequences become U+FFFD.
std::u16string Utf8ToU16(const std::string& text);
std::string U16ToUtf8(const std::u16string& text);
// Tree-data names are ASCII; a byte above 0x7F is taken as its Latin-1 code point.
std::u16string AnsiToU16(const std::string& text);
// Characters above 0xFF become '?'.
std::string U16ToAnsi(const std::u16string& text);
std::u16string DecimalText(long long value);
char16_t AsciiLower(char16_t c);
bool EqualsIgnoreAsciiCase(const std::u16string& a, const std::u16string& b);

}  // namespace setup
