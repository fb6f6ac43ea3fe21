// Any byte string as "CustomTargets.tgs": the records it yields are bounded by the bytes; the writer
// refuses them only for an entry kind outside 1-6 (which the reader keeps and the program skips),
// and once those entries are dropped it accepts them and the set written back decodes completely
// to the same records.
#include "targets/CustomTargetsFormat.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
bool SameEntry(const EntryRecord& a, const EntryRecord& b) {
    return a.kind == b.kind && a.folderId == b.folderId && a.path == b.path && a.mask == b.mask &&
           a.rootKey == b.rootKey && a.key == b.key && a.valueName == b.valueName &&
           a.recurse == b.recurse && a.removeAtReboot == b.removeAtReboot &&
           (a.Kind() != RemKind::RegistryValues || a.hasPattern == b.hasPattern);
}

bool SameRecord(const TargetRecord& a, const TargetRecord& b) {
    if (a.name != b.name || a.description != b.description || a.active != b.active ||
        a.stamp != b.stamp || a.conditions != b.conditions || a.entries.size() != b.entries.size())
        return false;
    for (size_t i = 0; i < a.entries.size(); ++i)
        if (!SameEntry(a.entries[i], b.entries[i])) return false;
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const DecodedCustomTargets decoded = DecodeCustomTargets(bytes);
    // A record takes at least its tree header (magic, check flag, node count): a huge count in a
    // short file must not turn into records out of nothing.
    if (decoded.records.size() > size / 8) std::abort();
    if (size < 4 && decoded.complete) std::abort();
    std::vector<TargetRecord> known = decoded.records;
    bool unknownKind = false;
    for (TargetRecord& record : known) {
        const size_t before = record.entries.size();
        record.entries.erase(std::remove_if(record.entries.begin(), record.entries.end(),
                                            [](const EntryRecord& e) { return !e.IsFileKind() && !e.IsRegistryKind(); }),
                             record.entries.end());
        unknownKind = unknownKind || record.entries.size() != before;
    }
    std::vector<uint8_t> written;
    const RecordWriteResult asRead = EncodeCustomTargets(decoded.records, written);
    if (asRead != (unknownKind ? RecordWriteResult::BadKind : RecordWriteResult::Ok)) std::abort();
    if (EncodeCustomTargets(known, written) != RecordWriteResult::Ok) std::abort();
    const DecodedCustomTargets again = DecodeCustomTargets(written);
    if (!again.complete || again.records.size() != known.size()) std::abort();
    for (size_t i = 0; i < again.records.size(); ++i)
        if (!SameRecord(again.records[i], known[i])) std::abort();
    // A complete file with nothing after its last record is already in the writer's form.
    std::vector<uint8_t> twice;
    if (EncodeCustomTargets(again.records, twice) != RecordWriteResult::Ok || twice != written) std::abort();
    return 0;
}
