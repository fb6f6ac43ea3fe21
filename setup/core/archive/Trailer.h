#pragma once
// The 12 bytes at the very end of a setup program's file: archive offset, extension-tree offset
// and start marker, each a signed 32-bit little-endian word.
#include "qv/Stream.h"
#include "qv/TreeNode.h"

#include <optional>

namespace setup {

struct Trailer {
    int32_t archiveOffset = 0;
    int32_t extensionOffset = 0;
    int32_t startMarker = 0;

    static constexpr int32_t kUninstaller = 1;      // Uninst.exe in the installation folder
    static constexpr int32_t kUninstallerCopy = 2;  // its temporary copy
    static constexpr size_t kSize = 12;
};

// Nothing when the stream is shorter than a trailer. Leaves the position at the end.
std::optional<Trailer> ReadTrailer(QV::Stream& file);

// Reads the extension tree the trailer points at. False, with `tree` empty, when there is none
// (offset 0), the offset lies outside the file before the trailer, or the node there is not
// well formed.
[[nodiscard]] bool ReadExtensionTree(QV::Stream& file, const Trailer& trailer, QV::TreeNode& tree);

}  // namespace setup
