// Any bytes as a leveldb log and as a sorted table of a browser's site-data store, and the keys
// read as text naming origins: the reader either refuses them or gives records, never reading past
// the bytes, and whatever it gives comes to a verdict.
#include "targets/LevelDbKeys.h"
#include "targets/SiteOrigins.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MixedStoreVerdict verdict;
    for (LevelDbFileKind kind : {LevelDbFileKind::Log, LevelDbFileKind::Table}) {
        if (!ReadLevelDbFile(bytes, kind, [&](std::string_view key, std::string_view value) {
                verdict.AddText(key);
                (void)FirefoxOriginFolder(value);
                (void)ChromiumOriginId(value);
            }))
            verdict.AddUnknown();
    }
    (void)verdict.MustStay({"kept.test"});
    return 0;
}
