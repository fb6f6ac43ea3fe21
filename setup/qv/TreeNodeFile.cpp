// Whole tree-data files, through QV::FileStream.
#include "qv/FileStream.h"
#include "qv/TreeNode.h"

namespace QV {

bool TreeNode::Load(const std::u16string& path) {
    Clear();
    name_.clear();
    FileStream file;
    if (!file.OpenRead(path)) return false;
    return Read(file);
}

bool TreeNode::Save(const std::u16string& path) const {
    // Written to memory first, so a file is only created when there is a whole tree to put in it.
    MemoryStream buffer;
    if (!Write(buffer)) return false;
    FileStream file;
    if (!file.OpenWrite(path)) return false;
    const size_t size = size_t(buffer.Size());
    return size == 0 || file.Write(buffer.Data(), size) == size;
}

}  // namespace QV
