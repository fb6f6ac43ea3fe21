// Any bytes as a Chromium-family "Bookmarks" file: the reader either refuses them or returns the
// addresses, and the addresses it returns, written back as JSON, read back the same.
#include "targets/BookmarksFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {
std::string Json(const std::vector<std::string>& urls) {
    std::string out = "{\"roots\": [";
    for (size_t i = 0; i < urls.size(); ++i) {
        out += i ? ", {\"url\": \"" : "{\"url\": \"";
        for (unsigned char c : urls[i]) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
        out += "\", \"type\": \"url\"}";
    }
    return out + "]}";
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto urls = BookmarkedUrls(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!urls) return 0;
    const auto again = BookmarkedUrls(Json(*urls));
    if (!again || *again != *urls) std::abort();
    return 0;
}
