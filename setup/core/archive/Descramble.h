#pragma once
// The transform applied to extracted files of the listed types: for n bytes (n >= 2), the byte at
// 2k swaps with the byte at n - 2 - 2k for every k with 2k < n/2 (rounded down). It is its own
// inverse.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace setup {

void Descramble(uint8_t* data, size_t size);

// Whether a file name's extension (from its last '.', as the shell finds it) is one of `listed`
// (each with its dot), compared ignoring ASCII case.
bool HasListedExtension(const std::u16string& fileName, const std::vector<std::u16string>& listed);

}  // namespace setup
