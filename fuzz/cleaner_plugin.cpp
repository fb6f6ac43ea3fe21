// Any byte string through the property tree reader and the plug-in record conversion: what reads
// as a tree must write and read back to the same tree, and what reads as a record must write and
// read back to the same record.
#include "targets/PluginRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
bool SameRecord(const TargetRecord& a, const TargetRecord& b) {
    return a.name == b.name && a.description == b.description && a.active == b.active &&
           a.stamp == b.stamp && a.entries == b.entries && a.conditions == b.conditions;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    MemoryStream in(bytes);
    PropertyTree tree;
    if (!tree.Read(in)) return 0;
    MemoryStream out;
    tree.Write(out);
    out.Seek(0, ByteStream::Origin::Begin);
    PropertyTree copy;
    if (!copy.Read(out) || !(copy == tree)) std::abort();
    auto record = RecordFromTree(tree);
    if (!record) return 0;
    MemoryStream again;
    if (WriteTargetRecord(*record, again) == RecordWriteResult::Ok) {
        again.Seek(0, ByteStream::Origin::Begin);
        auto back = ReadTargetRecord(again);
        if (!back || !SameRecord(*back, *record)) std::abort();
    }
    return 0;
}
