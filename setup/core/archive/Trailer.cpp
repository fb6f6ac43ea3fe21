#include "archive/Trailer.h"

namespace setup {

std::optional<Trailer> ReadTrailer(QV::Stream& file) {
    if (file.Size() < Trailer::kSize) return std::nullopt;
    if (file.Seek(Trailer::kSize, QV::SeekEnd) < 0) return std::nullopt;
    uint32_t words[3];
    for (uint32_t& w : words) {
        if (!file.ReadDword(w)) return std::nullopt;
    }
    Trailer t;
    t.archiveOffset = int32_t(words[0]);
    t.extensionOffset = int32_t(words[1]);
    t.startMarker = int32_t(words[2]);
    return t;
}

bool ReadExtensionTree(QV::Stream& file, const Trailer& trailer, QV::TreeNode& tree) {
    tree.Clear();
    tree.SetName(std::string());
    if (trailer.extensionOffset <= 0) return false;
    const uint64_t size = file.Size();
    if (size < Trailer::kSize || uint64_t(trailer.extensionOffset) >= size - Trailer::kSize) return false;
    if (file.Seek(trailer.extensionOffset, QV::SeekBegin) != trailer.extensionOffset) return false;
    return tree.Read(file);
}

}  // namespace setup
