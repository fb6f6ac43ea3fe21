// Any byte string as the setup program's own file: the trailer and extension tree read or fail,
// the archive opens or is refused, and every member of an archive that opens keeps the reader's
// promises: a name it accepts stays below the folder it is extracted into, a member it extracts
// is exactly its declared size, and nothing inflates past that size.
#include "archive/EntryName.h"
#include "archive/Trailer.h"
#include "archive/ZipReader.h"
#include "config/Text.h"

#include <cstdlib>

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
        if (entry.nameRefused != entry.name.empty()) std::abort();
        if (!entry.nameRefused && !setup::IsContainedRelativePath(entry.name)) std::abort();
        // Find gives the first member of that name; names that do not survive the UTF-16 round trip
        // may match another member's bytes, and Find takes no name of 256 bytes or more.
        const std::u16string wide = setup::Utf8ToU16(entry.storedName);
        setup::ZipEntry again;
        if (entry.storedName.size() < 256 && setup::U16ToUtf8(wide) == entry.storedName &&
            (!reader.Find(wide, false, again) || again.index > entry.index))
            std::abort();
        QV::MemoryStream out;
        const setup::ZipResult result = reader.ExtractToMemory(entry, out);
        if (out.Size() > entry.uncompressedSize) std::abort();
        if (result == setup::ZipResult::Ok && out.Size() != entry.uncompressedSize) std::abort();
    }
    QV::TreeNode tree;
    (void)reader.LoadTree(u"set.qvdt", tree);
    return 0;
}
