// Any byte string as a stored result-list line: it decodes or is refused, a decoded line encodes
// back to exactly the same bytes, and the quick kind lookup agrees with the full decode.
#include "skin/ListLine.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view stored(reinterpret_cast<const char*>(data), size);
    ResultLine line;
    if (!list_line::Decode(stored, line)) return 0;
    if (list_line::Encode(line) != stored) std::abort();
    if (list_line::KindOf(stored) != static_cast<int>(line.kind)) std::abort();
    return 0;
}
