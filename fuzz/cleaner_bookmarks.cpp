// Any bytes as a Chromium-family "Bookmarks" file: the reader either refuses them or returns the
// addresses, and the addresses it returns, written back as JSON, read back the same (bytes outside
// UTF-8 as U+FFFD).
#include "engine/JsonText.h"
#include "targets/BookmarksFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {
std::string Json(const std::vector<std::string>& urls) {
    std::string out = "{\"roots\": [";
    for (size_t i = 0; i < urls.size(); ++i)
        out += (i ? ", {\"url\": " : "{\"url\": ") + JsonString(urls[i]) + ", \"type\": \"url\"}";
    return out + "]}";
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto urls = BookmarkedUrls(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!urls) return 0;
    const auto again = BookmarkedUrls(Json(*urls));
    if (!again || again->size() != urls->size()) std::abort();
    // What the writer cannot say in JSON (bytes outside UTF-8) comes back as U+FFFD, the rest as it was.
    for (size_t i = 0; i < urls->size(); ++i)
        if ((*again)[i] != ValidUtf8((*urls)[i])) std::abort();
    return 0;
}
