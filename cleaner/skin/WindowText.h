#pragma once
// The program's UTF-8 text in and out of windows and device contexts, through the wide calls: a
// target name or a path in Cyrillic or CJK shows as it is whatever the ANSI code page.
#include <windows.h>

#include <string>

namespace window_text {

[[nodiscard]] std::string Get(HWND window);
bool Set(HWND window, const std::string& text);
// DrawTextW of UTF-8 text; returns the height DrawText gives.
int Draw(HDC dc, const std::string& text, RECT& rect, UINT format);
// TextOutW of UTF-8 text.
void Out(HDC dc, int x, int y, const std::string& text);
// GetTextExtentPoint32W of UTF-8 text.
SIZE Extent(HDC dc, const std::string& text);
// A message box with UTF-8 texts.
int Message(HWND owner, const std::string& text, const std::string& caption, UINT type);

}  // namespace window_text
