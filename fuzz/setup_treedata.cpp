// Fuzzes the tree-data reader: any bytes must read cleanly or fail cleanly, and whatever reads
// must write back and read again to the same tree.
#include "qv/MemoryStream.h"
#include "qv/TreeNode.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QV::MemoryStream in(data, size);
    QV::TreeNode root;
    if (!root.Read(in)) return 0;
    QV::MemoryStream out;
    if (!root.Write(out)) std::abort();
    out.Seek(0, QV::SeekBegin);
    QV::TreeNode again;
    if (!again.Read(out)) std::abort();
    QV::MemoryStream twice;
    if (!again.Write(twice) || twice.Size() != out.Size()) std::abort();
    return 0;
}
