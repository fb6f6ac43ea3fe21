#pragma once
// The stored form of a result-list line (CMyListBox). The list keeps each line as its item text:
// six header units, each holding its value + 1 so that no unit is zero and the text survives the
// list box's string storage, then the texts joined without separators.
//
//   unit 0  line kind (LineKind: 0 plain, 1 highlighted, 2 heading, 4 target, 5 summary)
//   unit 1  state of a target line: 0 finished, 1 "Scanning...", 2 "Killing..."
//   unit 2  length of the first text (target name or line text)
//   unit 3  length of the files text
//   unit 4  length of the items text
//   unit 5  length of the size text
//
// The units are those of the text: bytes in the std::string form below, UTF-16 units in the list
// box itself (which holds the texts in UTF-16 so that names of any script survive). Platform-
// neutral: the Windows list box and the native tests share it.
#include "skin/ResultLine.h"

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace list_line {

constexpr size_t kHeaderSize = 6;
// A header unit holds at most 255, so a value may be at most 254.
constexpr size_t kMaxValue = 254;

// The four texts of a line in the order they are stored: name, files, items, size.
template <typename Char>
struct Parts {
    int kind = 0;
    int state = 0;
    std::basic_string<Char> texts[4];
};

// Builds the stored text. Each text longer than 254 units is cut to 254, and a kind or state
// outside 0..254 is stored as 0, so no header unit is ever zero.
template <typename Char>
std::basic_string<Char> EncodeParts(const Parts<Char>& parts) {
    const auto small = [](int v) { return v < 0 || v > static_cast<int>(kMaxValue) ? size_t{0} : static_cast<size_t>(v); };
    const auto unit = [](size_t value) { return static_cast<Char>(static_cast<unsigned char>(value + 1)); };
    std::basic_string_view<Char> cut[4];
    for (int i = 0; i < 4; ++i) {
        cut[i] = parts.texts[i];
        if (cut[i].size() > kMaxValue) cut[i] = cut[i].substr(0, kMaxValue);
    }
    std::basic_string<Char> out;
    out += unit(small(parts.kind));
    out += unit(small(parts.state));
    for (const auto& text : cut) out += unit(text.size());
    for (const auto& text : cut) out.append(text);
    return out;
}

// Splits a stored text. False (and `out` untouched) when the text is shorter than its header, a
// header unit is zero or above 255, or the lengths do not add up to the rest of the text.
template <typename Char>
[[nodiscard]] bool DecodeParts(std::basic_string_view<Char> stored, Parts<Char>& out) {
    if (stored.size() < kHeaderSize) return false;
    size_t values[kHeaderSize];
    for (size_t i = 0; i < kHeaderSize; ++i) {
        const auto u = static_cast<std::make_unsigned_t<Char>>(stored[i]);
        if (u == 0 || u > kMaxValue + 1) return false;
        values[i] = static_cast<size_t>(u) - 1;
    }
    if (values[2] + values[3] + values[4] + values[5] != stored.size() - kHeaderSize) return false;
    Parts<Char> parts;
    parts.kind = static_cast<int>(values[0]);
    parts.state = static_cast<int>(values[1]);
    size_t at = kHeaderSize;
    for (size_t i = 0; i < 4; ++i) {
        parts.texts[i].assign(stored.substr(at, values[2 + i]));
        at += values[2 + i];
    }
    out = std::move(parts);
    return true;
}

// The line kind of a stored text without decoding it all; -1 when there is no valid header.
template <typename Char>
int KindOfParts(std::basic_string_view<Char> stored) {
    if (stored.size() < kHeaderSize || stored[0] == 0) return -1;
    return static_cast<int>(static_cast<std::make_unsigned_t<Char>>(stored[0])) - 1;
}

// The byte form, for UTF-8 texts as a ResultLine holds them.
std::string Encode(int kind, int state, std::string_view name, std::string_view files = {},
                   std::string_view items = {}, std::string_view size = {});
std::string Encode(const ResultLine& line);
[[nodiscard]] bool Decode(std::string_view stored, ResultLine& out);
int KindOf(std::string_view stored);

}  // namespace list_line
