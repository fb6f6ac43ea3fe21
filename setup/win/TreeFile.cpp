#include "win/TreeFile.h"

#include "win/FileStream.h"

namespace setup {

bool LoadTreeFile(const std::u16string& path, QV::TreeNode& tree) {
    tree.Clear();
    tree.SetName(std::string());
    QV::FileStream file;
    if (!file.OpenRead(path)) return false;
    return tree.Read(file);
}

bool SaveTreeFile(const QV::TreeNode& tree, const std::u16string& path) {
    // Written to memory first, so a file is only created when there is a whole tree to put in it.
    QV::MemoryStream buffer;
    if (!tree.Write(buffer)) return false;
    QV::FileStream file;
    if (!file.OpenWrite(path)) return false;
    const size_t size = size_t(buffer.Size());
    return size == 0 || file.Write(buffer.Data(), size) == size;
}

}  // namespace setup
