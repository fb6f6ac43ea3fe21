#pragma once
// The stored form of a result-list line (CMyListBox). The list keeps each line as its item text:
// six header bytes, each holding its value + 1 so that no byte is zero and the text survives the
// list box's string storage, then the texts joined without separators.
//
//   byte 0  line kind (LineKind: 0 plain, 1 highlighted, 2 heading, 4 target, 5 summary)
//   byte 1  state of a target line: 0 finished, 1 "Scanning...", 2 "Killing..."
//   byte 2  length of the first text (target name or line text)
//   byte 3  length of the files text
//   byte 4  length of the items text
//   byte 5  length of the size text
//
// Platform-neutral: the Windows list box and the native tests share it.
#include "skin/ResultLine.h"

#include <string>
#include <string_view>

namespace list_line {

constexpr size_t kHeaderSize = 6;
// A header byte holds at most 255, so a value may be at most 254.
constexpr size_t kMaxValue = 254;

// Builds the stored text. Each text longer than 254 bytes is cut to 254, and a kind or state
// outside 0..254 is stored as 0, so no header byte is ever zero.
std::string Encode(int kind, int state, std::string_view name, std::string_view files = {},
                   std::string_view items = {}, std::string_view size = {});
std::string Encode(const ResultLine& line);

// Splits a stored text. False (and `out` untouched) when the text is shorter than its header, a
// header byte is zero, or the lengths do not add up to the rest of the text.
[[nodiscard]] bool Decode(std::string_view stored, ResultLine& out);

// The line kind of a stored text without decoding it all; -1 when there is no valid header.
int KindOf(std::string_view stored);

}  // namespace list_line
