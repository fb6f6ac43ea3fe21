#pragma once
// Lower case for the names the program compares without regard to case (paths, keys, target and
// site names): ASCII letters only, so the bytes of UTF-8 text beyond ASCII never change.
#include <string>
#include <string_view>

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = AsciiLower(c);
    return out;
}
