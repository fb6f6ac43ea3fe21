// Any byte string as a dialog template: it is read or refused, never read past its end, and every
// item it yields took at least the bytes of a classic item header.
#include "skin/DialogTemplate.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly `size` bytes, so the sanitizer sees any read past the end.
    const std::vector<uint8_t> bytes(data, data + size);
    const auto geometry = dialog_template::ReadGeometry(bytes.data(), bytes.size());
    if (!geometry) return 0;
    constexpr size_t kSmallestItem = 18;  // style, extended style, rectangle, id, class, title, data count
    if (geometry->items.size() * kSmallestItem > size) std::abort();
    const auto again = dialog_template::ReadGeometry(bytes.data(), bytes.size());
    if (!again || again->items.size() != geometry->items.size()) std::abort();
    return 0;
}
