#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// Decodes an image strip held in memory (any format GDI+ reads) into a bitmap; none when the data
// cannot be decoded. The caller owns the bitmap.
[[nodiscard]] HBITMAP DecodeImage(const std::vector<uint8_t>& data);
