#pragma once
#include <string>
#include <string_view>

// JSON text as the cleaner writes it (reports, and files it hands back to a reader). Platform-
// neutral, so that the host tools and the fuzz targets write what the programs write.

// A JSON string literal, quotes included. Text that is not valid UTF-8 keeps its valid parts; each
// invalid byte becomes U+FFFD, so the output stays valid JSON whatever the text held.
std::string JsonString(std::string_view text);

// The text as JsonString reads back: every byte that is not part of a valid UTF-8 sequence
// replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);
