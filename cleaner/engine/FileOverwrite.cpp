#include "engine/FileOverwrite.h"

#include "engine/Checkpoint.h"
#include "engine/OverwritePattern.h"

#include <winioctl.h>

#include <algorithm>

namespace {

// Blocks carried by one WriteFile. The bytes, their order and their table windows are those of
// one write per 512-byte block; only the number of calls is smaller.
constexpr size_t kBlocksPerWrite = 2048;
constexpr uint64_t kBlock = overwrite::kBlockBytes;
// A file system keeps data of a few hundred bytes inside its own records (NTFS: resident data),
// where the file shows no allocation at all; beyond this size, no allocation means no data.
constexpr uint64_t kLargestResidentFile = 4096;

bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
    DWORD written = 0;
    return size == 0 ||
           (::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size);
}

bool SeekTo(HANDLE file, uint64_t offset) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != FALSE;
}

std::vector<uint8_t>& Buffer() {
    static thread_local std::vector<uint8_t> buffer(kBlocksPerWrite * overwrite::kBlockBytes);
    return buffer;
}

// Writes `blocks` whole blocks from the current position.
bool WriteBlocks(HANDLE file, uint64_t blocks) {
    std::vector<uint8_t>& buffer = Buffer();
    while (blocks > 0) {
        const size_t batch = blocks < kBlocksPerWrite ? static_cast<size_t>(blocks) : kBlocksPerWrite;
        size_t filled = 0;
        try {
            for (; filled < batch; ++filled) {
                Checkpoint();
                overwrite::FillWindow(buffer.data() + filled * overwrite::kBlockBytes, overwrite::kBlockBytes,
                                      overwrite::NextRandom());
            }
        } catch (const RunStopped&) {
            // A stop lands between two blocks: what came before it is on disk, as if each block had
            // been written on its own.
            WriteAll(file, buffer.data(), filled * overwrite::kBlockBytes);
            throw;
        }
        if (!WriteAll(file, buffer.data(), batch * overwrite::kBlockBytes)) return false;
        blocks -= batch;
    }
    return true;
}

bool FullPass(HANDLE file, uint64_t size) {
    const overwrite::PassPlan plan = overwrite::PlanPass(size);
    if (!SeekTo(file, 0)) return false;
    if (plan.headBytes > 0) {
        std::vector<uint8_t>& buffer = Buffer();
        overwrite::FillWindow(buffer.data(), plan.headBytes, overwrite::NextRandom());
        if (!WriteAll(file, buffer.data(), plan.headBytes)) return false;
    }
    return WriteBlocks(file, plan.blocks) && ::FlushFileBuffers(file) != FALSE;
}

// One pass over the data extents only; a last partial block is written to the file's end.
bool ExtentPass(HANDLE file, uint64_t size, const std::vector<FileExtent>& extents) {
    for (const FileExtent& e : extents) {
        if (!SeekTo(file, e.offset)) return false;
        const uint64_t whole = e.length / kBlock;
        if (!WriteBlocks(file, whole)) return false;
        const uint64_t tail = e.length % kBlock;
        if (tail > 0) {
            Checkpoint();
            std::vector<uint8_t>& buffer = Buffer();
            overwrite::FillWindow(buffer.data(), static_cast<size_t>(tail), overwrite::NextRandom());
            if (!WriteAll(file, buffer.data(), static_cast<size_t>(tail))) return false;
        }
    }
    (void)size;
    return ::FlushFileBuffers(file) != FALSE;
}

void AddExtent(std::vector<FileExtent>& extents, uint64_t offset, uint64_t length, uint64_t size) {
    if (offset >= size || length == 0) return;
    const uint64_t start = offset / kBlock * kBlock;
    uint64_t end = std::min(size, offset + length);
    end = std::min(size, (end + kBlock - 1) / kBlock * kBlock);
    if (!extents.empty() && extents.back().offset + extents.back().length >= start) {
        FileExtent& last = extents.back();
        last.length = std::max(last.offset + last.length, end) - last.offset;
        return;
    }
    extents.push_back(FileExtent{start, end - start});
}

bool AllocatedRanges(HANDLE file, uint64_t size, std::vector<FileExtent>& extents) {
    FILE_ALLOCATED_RANGE_BUFFER query{};
    query.FileOffset.QuadPart = 0;
    query.Length.QuadPart = static_cast<LONGLONG>(size);
    std::vector<FILE_ALLOCATED_RANGE_BUFFER> ranges(64);
    for (;;) {
        DWORD bytes = 0;
        const BOOL ok = ::DeviceIoControl(file, FSCTL_QUERY_ALLOCATED_RANGES, &query, sizeof query, ranges.data(),
                                          static_cast<DWORD>(ranges.size() * sizeof ranges[0]), &bytes, nullptr);
        if (!ok && ::GetLastError() != ERROR_MORE_DATA) return false;
        const size_t count = bytes / sizeof ranges[0];
        for (size_t i = 0; i < count; ++i)
            AddExtent(extents, static_cast<uint64_t>(ranges[i].FileOffset.QuadPart),
                      static_cast<uint64_t>(ranges[i].Length.QuadPart), size);
        if (ok || count == 0) return true;
        // More ranges: ask again from the end of the last one returned.
        const FILE_ALLOCATED_RANGE_BUFFER& last = ranges[count - 1];
        const LONGLONG next = last.FileOffset.QuadPart + last.Length.QuadPart;
        query.Length.QuadPart = static_cast<LONGLONG>(size) - next;
        query.FileOffset.QuadPart = next;
        if (query.Length.QuadPart <= 0) return true;
    }
}

// The blocks that do not read as zeros. Holes read as zeros without touching the disk.
bool NonZeroBlocks(HANDLE file, uint64_t size, std::vector<FileExtent>& extents) {
    if (!SeekTo(file, 0)) return false;
    std::vector<uint8_t>& buffer = Buffer();
    uint64_t offset = 0;
    while (offset < size) {
        Checkpoint();
        DWORD read = 0;
        if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return false;
        if (read == 0) break;
        for (size_t at = 0; at < read; at += kBlock) {
            const size_t n = std::min<size_t>(kBlock, read - at);
            const uint8_t* block = buffer.data() + at;
            if (std::any_of(block, block + n, [](uint8_t b) { return b != 0; })) AddExtent(extents, offset + at, n, size);
        }
        offset += read;
    }
    return true;
}

}  // namespace

bool IsThinFile(uint64_t size, uint64_t allocation, uint32_t attributes) {
    if (attributes & (FILE_ATTRIBUTE_SPARSE_FILE | FILE_ATTRIBUTE_COMPRESSED)) return true;
    return size > kLargestResidentFile && allocation < size;
}

bool DataExtents(const OverwriteTarget& target, std::vector<FileExtent>& extents) {
    extents.clear();
    if (target.size == 0) return true;
    if (AllocatedRanges(target.file, target.size, extents)) return true;
    extents.clear();
    if (target.allocation == 0 && target.size > kLargestResidentFile) return true;  // nothing held anywhere
    return NonZeroBlocks(target.file, target.size, extents);
}

bool OverwritePasses(const OverwriteTarget& target, int passes) {
    if (!IsThinFile(target.size, target.allocation, target.attributes)) {
        for (int pass = 0; pass < passes; ++pass)
            if (!FullPass(target.file, target.size)) return false;
        return true;
    }
    std::vector<FileExtent> extents;
    if (!DataExtents(target, extents)) return false;
    for (int pass = 0; pass < passes; ++pass)
        if (!ExtentPass(target.file, target.size, extents)) return false;
    return true;
}
