#pragma once
#include "targets/StoredText.h"

// The stored files' strings in the system's ANSI code page, converted without best fit: a byte
// the code page does not define, or a character it cannot hold, refuses the string.
[[nodiscard]] const StoredText& AnsiCodePageText();
