#pragma once
#include <string>

// The cleaner works in ANSI text; a few wide-only calls (final path names, the module name, long
// and short path forms) need the conversion both ways at their boundary.

// The wide form of an ANSI text.
std::wstring WideFromAnsi(const std::string& text);

// The ANSI form of a wide text; empty when a character has no ANSI form, since such a name could
// not be compared or passed to the ANSI calls faithfully.
std::string AnsiFromWide(const std::wstring& wide);
