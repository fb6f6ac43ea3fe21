#include "engine/OverwritePattern.h"

#include <array>
#include <cstdlib>
#include <cstring>

namespace overwrite {
namespace {

std::array<uint8_t, kTableBytes> BuildTable() {
    std::array<uint8_t, kTableBytes> bytes{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        for (int b = 0; b < 4; ++b) bytes[n * 4 + b] = static_cast<uint8_t>(c >> (8 * b));
    }
    return bytes;
}

}  // namespace

const uint8_t* TableBytes() {
    static const std::array<uint8_t, kTableBytes> table = BuildTable();
    return table.data();
}

void FillWindow(uint8_t* dest, size_t count, int random) {
    if (count > kBlockBytes) count = kBlockBytes;
    std::memcpy(dest, TableBytes() + WindowOffset(random), count);
}

}  // namespace overwrite

namespace overwrite {
namespace {
RandomSource g_random = nullptr;
}

int NextRandom() { return g_random ? g_random() : std::rand(); }
void SetRandomSource(RandomSource source) { g_random = source; }

}  // namespace overwrite
