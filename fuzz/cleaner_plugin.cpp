// Any byte string through the property tree reader and the plug-in record conversion; what reads
// as a record must write and read back to the same record.
#include "targets/CustomTargetsFormat.h"
#include "targets/PluginRecord.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    (void)DecodeCustomTargets(bytes);  // the same bytes as a custom targets file
    MemoryStream in(bytes);
    PropertyTree tree;
    if (!tree.Read(in)) return 0;
    MemoryStream out;
    tree.Write(out);
    auto record = RecordFromTree(tree);
    if (!record) return 0;
    MemoryStream again;
    if (WriteTargetRecord(*record, again) == RecordWriteResult::Ok) {
        again.Seek(0, ByteStream::Origin::Begin);
        if (!ReadTargetRecord(again)) std::abort();
    }
    return 0;
}
