#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

// The overwrite passes of a secure Kill, through a file handle opened for reading and writing.
// Each pass writes (size mod 512) bytes, then whole 512-byte blocks from the CRC-32 table at fresh
// random windows, with a stop checkpoint before each block, and flushes.
//
// A file that holds less on disk than its size (sparse, or compressed) is overwritten only where it
// holds data: writing its whole size would allocate it in full (a 1 TB sparse file, a full disk).

struct FileExtent {
    uint64_t offset;
    uint64_t length;
};

struct OverwriteTarget {
    HANDLE file;
    uint64_t size;
    uint64_t allocation;  // bytes on disk, from the listing or the handle
    uint32_t attributes;
};

// The passes; false when a write failed (earlier passes stay written). May end the run at a
// checkpoint.
[[nodiscard]] bool OverwritePasses(const OverwriteTarget& target, int passes);

// Whether a file's data may lie in only parts of its size, so that only those parts are written.
[[nodiscard]] bool IsThinFile(uint64_t size, uint64_t allocation, uint32_t attributes);

// The parts of a thin file that hold data, 512-byte aligned, within its size. From the file
// system's allocated ranges; where it cannot tell them (Wine 8 has no FSCTL_QUERY_ALLOCATED_RANGES),
// from reading the file: blocks that read as zeros hold nothing worth overwriting.
[[nodiscard]] bool DataExtents(const OverwriteTarget& target, std::vector<FileExtent>& extents);
