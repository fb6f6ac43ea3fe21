#include "archive/Descramble.h"

#include "config/Text.h"

#include <utility>

namespace setup {

void Descramble(uint8_t* data, size_t size) {
    if (size < 2) return;
    const size_t half = size / 2;
    for (size_t k = 0; 2 * k < half; ++k) std::swap(data[2 * k], data[size - 2 - 2 * k]);
}

bool HasListedExtension(const std::u16string& fileName, const std::vector<std::u16string>& listed) {
    const size_t sep = fileName.find_last_of(u"\\/");
    const size_t dot = fileName.rfind(u'.');
    if (dot == std::u16string::npos || (sep != std::u16string::npos && dot < sep)) return false;
    const std::u16string ext = fileName.substr(dot);
    for (const std::u16string& item : listed) {
        if (EqualsIgnoreAsciiCase(ext, item)) return true;
    }
    return false;
}

}  // namespace setup
