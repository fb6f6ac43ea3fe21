#pragma once
#include <cstddef>
#include <cstdint>

// The data a secure Kill writes over a file: the 1024 bytes of the standard CRC-32 lookup table
// (reflected polynomial 0xEDB88320, entries little-endian). Every write takes its bytes from a
// 4-byte-aligned window starting at one of the first 128 entries, so a 512-byte block always lies
// inside the table.
namespace overwrite {

constexpr size_t kTableBytes = 1024;
constexpr size_t kBlockBytes = 512;

const uint8_t* TableBytes();

// The table offset for one write: the random number masked to an entry index 0..127, in bytes.
inline size_t WindowOffset(int random) { return static_cast<size_t>(random & 127) * 4; }

// How one pass over a file of `size` bytes is split: first (size mod 512) bytes, then whole blocks.
struct PassPlan {
    uint32_t headBytes;
    uint64_t blocks;
};
inline PassPlan PlanPass(uint64_t size) {
    return PassPlan{static_cast<uint32_t>(size % kBlockBytes), size / kBlockBytes};
}

// Copies `count` bytes (at most 512) of the window chosen by `random` into dest.
void FillWindow(uint8_t* dest, size_t count, int random);

// The random numbers behind table windows and new file names. The standard library's generator,
// never seeded, unless a test installs its own sequence.
using RandomSource = int (*)();
int NextRandom();
void SetRandomSource(RandomSource source);  // nullptr restores the standard generator

}  // namespace overwrite
