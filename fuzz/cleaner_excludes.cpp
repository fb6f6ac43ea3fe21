// Any bytes as stored exclude strings, one per line: each is read or refused, a read one is stored
// again as a string that reads back the same, and a list of them answers every question about the
// input itself as a path and as a key without crashing.
#include "engine/ExcludeList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ExcludeList list;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        if (auto e = ParseExclude(line)) {
            const auto again = ParseExclude(StoredExclude(*e));
            if (!again || !SameExclude(*again, *e)) std::abort();
            list.Add(*e);
            if (e->kind == ExcludeKind::Key && !list.ExcludesKey(e->path)) std::abort();
            if (e->kind == ExcludeKind::Folder && !list.ExcludesFolder(e->path)) std::abort();
            if (e->kind == ExcludeKind::File && !list.ExcludesFile(e->path)) std::abort();
        }
        (void)list.ExcludesFile(line);
        (void)list.ExcludesFileItself(line);
        (void)list.ExcludesKey(line);
        start = end + 1;
    }
    return 0;
}
