#pragma once
#include <string>
#include <string_view>

// The cleaner's one text form inside the program is UTF-8 in std::string: every path, key name,
// target name and result text. It meets the system only here:
//
//  - the wide (W) platform calls take and give UTF-16: WideFromUtf8 / Utf8FromWide at the call;
//  - stored files and registry values keep their 8-bit strings in the ANSI code page, as older
//    releases wrote them: Utf8FromAnsi on load, AnsiFromUtf8 on save.
//
// No conversion guesses. A name with no exact form in the target encoding (a lone surrogate in a
// file name, a Cyrillic name for a Western code page) fails the conversion, and the caller skips
// that record or that file: best fit would turn U+FF3C into '\' and walk somewhere else.

// UTF-16 form of UTF-8 text. False (and out empty) when text is not valid UTF-8.
[[nodiscard]] bool WideFromUtf8(std::string_view text, std::wstring& out);
// For text the program itself made valid (literals, names that came from Utf8FromWide): an invalid
// sequence gives an empty string, which no platform call resolves to an existing name.
std::wstring WideFromUtf8(std::string_view text);

// UTF-8 form of UTF-16 text. False when it holds a lone surrogate, which has no UTF-8 form.
[[nodiscard]] bool Utf8FromWide(std::wstring_view wide, std::string& out);
std::wstring_view TrimNul(std::wstring_view wide);
// Empty for text with a lone surrogate (see above); for names that must be skipped rather than
// misread, use the checked form.
std::string Utf8FromWide(std::wstring_view wide);

// UTF-8 form of text stored in the ANSI code page. False when a byte is not valid in it.
[[nodiscard]] bool Utf8FromAnsi(std::string_view ansi, std::string& out);
// ANSI code-page form of UTF-8 text, for storing. False when a character has no exact form there
// (never best fit: checked with WC_NO_BEST_FIT_CHARS and the default-character flag).
[[nodiscard]] bool AnsiFromUtf8(std::string_view text, std::string& out);

// The wide form of a UTF-8 path for the file-system calls. An absolute path of MAX_PATH characters
// or more gets the "\\?\" (or "\\?\UNC\") prefix, with '/' made '\' (the prefixed form takes names
// literally), so deep folders are reached as Windows itself reaches them. Empty when path is not
// valid UTF-8.
std::wstring SystemPath(std::string_view path);
