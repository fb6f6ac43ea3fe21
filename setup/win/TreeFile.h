#pragma once
// Whole tree-data files on disk, through QV::FileStream.
#include "qv/TreeNode.h"

#include <string>

namespace setup {

// Reads the file's one node into `tree` (cleared first, name included); false, with the tree
// empty, when the file cannot be opened or is not a well-formed node.
[[nodiscard]] bool LoadTreeFile(const std::u16string& path, QV::TreeNode& tree);
// Creates or replaces the file; nothing is created when the tree cannot be encoded.
[[nodiscard]] bool SaveTreeFile(const QV::TreeNode& tree, const std::u16string& path);

}  // namespace setup
