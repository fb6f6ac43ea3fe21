#pragma once
// A font entry of the skin tree, as read from its node; the Win32 layer creates the font from it.
#include "qv/TreeNode.h"

#include <string>

namespace setup {

struct FontEntry {
    static constexpr size_t kMaxFace = 31;
    static constexpr int32_t kDefaultHeight = 10;

    bool hasFace = false;  // without "Name" the system's default face is used
    std::u16string face;   // at most kMaxFace characters
    int32_t height = kDefaultHeight;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

FontEntry ReadFontEntry(const QV::TreeNode& node);

}  // namespace setup
