// Fuzzes the archive reader: open, walk every entry, find by name, extract to memory, and read
// the trailer and extension tree of the same bytes.
#include "archive/Trailer.h"
#include "archive/ZipReader.h"
#include "config/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QV::MemoryStream file(data, size);
    if (auto trailer = setup::ReadTrailer(file)) {
        QV::TreeNode ext;
        (void)setup::ReadExtensionTree(file, *trailer, ext);
    }
    setup::ZipReader reader;
    if (!reader.Open(file)) return 0;
    for (uint32_t i = 0; i < reader.EntryCount() && i < 64; ++i) {
        setup::ZipEntry entry;
        if (!reader.EntryAt(i, entry)) continue;
        setup::ZipEntry again;
        (void)reader.Find(setup::Utf8ToU16(entry.storedName), true, again);
        QV::MemoryStream out;
        (void)reader.ExtractToMemory(entry, out);
    }
    QV::TreeNode tree;
    (void)reader.LoadTree(u"set.qvdt", tree);
    return 0;
}
