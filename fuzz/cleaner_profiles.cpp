// Any text as a browser's profiles.ini: whatever profile value it yields, a composed profile folder
// stays below the browser's root, has no ".." component and fits the path limit.
#include "targets/BrowserProfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
bool HasParentComponent(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\' || path[i] == '/') {
            if (path.compare(start, i - start, "..") == 0 && i - start == 2) return true;
            start = i + 1;
        }
    }
    return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string ini(reinterpret_cast<const char*>(data), size);
    const std::string value = FirstProfileValue(ini);
    const std::string root = "C:\\Users\\user\\AppData\\Roaming\\Mozilla\\Firefox\\";
    const auto folder = ComposeProfileFolder(root, value);
    if (folder) {
        if (!IsSafeProfileValue(value)) std::abort();
        if (folder->compare(0, root.size(), root) != 0) std::abort();
        if (HasParentComponent(*folder)) std::abort();
        if (folder->size() + kLongestProfileFileName > kMaxComposedPath) std::abort();
    }
    const auto cache = ComposeProfilePath(root, value, "Cache\\");
    if (cache && (cache->compare(0, root.size(), root) != 0 || cache->size() > kMaxComposedPath)) std::abort();
    return 0;
}
