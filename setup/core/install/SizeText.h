#pragma once
// A byte count as the wizard shows it: one decimal and the largest unit the count exceeds
// ("1.5 MB"; exactly 1,048,576 bytes is still "1024.0 KB").
#include <cstdint>
#include <string>

namespace setup {

std::u16string SizeText(uint64_t bytes, const std::u16string& kb, const std::u16string& mb, const std::u16string& gb);

}  // namespace setup
