#include "targets/Statistics.h"

namespace {

void PutLittleEndian(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

uint64_t GetLittleEndian(const std::string& in, size_t offset, int bytes) {
    uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= static_cast<uint64_t>(static_cast<unsigned char>(in[offset + i])) << (8 * i);
    return value;
}

}  // namespace

std::string EncodeStatistics(const RunCounters& totals) {
    std::string out;
    PutLittleEndian(out, totals.files, 4);
    PutLittleEndian(out, totals.items, 4);
    PutLittleEndian(out, totals.bytes, 8);
    return out;
}

bool DecodeStatistics(const std::string& bytes, RunCounters& totals) {
    if (bytes.size() < kStatisticsSize) return false;
    totals.files = static_cast<uint32_t>(GetLittleEndian(bytes, 0, 4));
    totals.items = static_cast<uint32_t>(GetLittleEndian(bytes, 4, 4));
    totals.bytes = GetLittleEndian(bytes, 8, 8);
    return true;
}

RunCounters MergedTotals(const RunCounters& stored, const RunCounters& totals, const RunCounters& accounted) {
    RunCounters merged;
    merged.files = stored.files + (totals.files - accounted.files);
    merged.items = stored.items + (totals.items - accounted.items);
    merged.bytes = stored.bytes + (totals.bytes - accounted.bytes);
    return merged;
}
