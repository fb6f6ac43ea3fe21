#include "targets/CustomTargetsFormat.h"

DecodedCustomTargets DecodeCustomTargets(const std::vector<uint8_t>& bytes, const StoredText& text) {
    DecodedCustomTargets out;
    MemoryStream in(bytes);
    uint8_t b[4];
    if (in.Read(b, 4) != 4) {
        out.complete = false;
        return out;
    }
    uint32_t count = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    for (uint32_t i = 0; i < count; ++i) {
        // No length prefix: after a rejected record the position of the next one is unknown, so
        // the load stops there and keeps what it read.
        auto record = ReadTargetRecord(in, text);
        if (!record) {
            out.complete = false;
            break;
        }
        out.records.push_back(std::move(*record));
    }
    return out;
}

RecordWriteResult EncodeCustomTargets(const std::vector<TargetRecord>& records, std::vector<uint8_t>& out,
                                      const StoredText& text) {
    MemoryStream s;
    uint32_t n = static_cast<uint32_t>(records.size());
    uint8_t b[4] = {uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
    (void)s.Write(b, 4);
    for (const TargetRecord& r : records)
        if (RecordWriteResult w = WriteTargetRecord(r, s, text); w != RecordWriteResult::Ok) return w;
    out = s.Bytes();
    return RecordWriteResult::Ok;
}
