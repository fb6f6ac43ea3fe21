#include "install/SizeText.h"

#include "config/Text.h"

#include <cstdio>

namespace setup {

std::u16string SizeText(uint64_t bytes, const std::u16string& kb, const std::u16string& mb, const std::u16string& gb) {
    constexpr uint64_t kKilo = 1024, kMega = kKilo * 1024, kGiga = kMega * 1024;
    double value = double(bytes) / double(kKilo);
    const std::u16string* unit = &kb;
    if (bytes > kGiga) {
        value = double(bytes) / double(kGiga);
        unit = &gb;
    } else if (bytes > kMega) {
        value = double(bytes) / double(kMega);
        unit = &mb;
    }
    char number[64];
    std::snprintf(number, sizeof number, "%.1f ", value);
    return AnsiToU16(number) + *unit;
}

}  // namespace setup
