#pragma once
// Reader of the ZIP archive appended to the setup program's own file, over any QV::Stream. The
// stream is borrowed: its owner keeps it open while the reader is open.
//
// Everything read from the archive is checked against the file: a record, count, size or offset
// that does not fit is corruption, inflated output never exceeds the declared size, and the CRC of
// every extracted member is checked.
#include "qv/MemoryStream.h"
#include "qv/TreeNode.h"

#include <memory>
#include <string>
#include <vector>

namespace setup {

enum class ZipResult {
    Ok,
    NotFound,
    CannotCreate,
    WriteFailed,
    Corrupt,
    ReadError,
    Encrypted,
    InflateFailed,
    BadArguments,
    NameRefused,
};

// Windows file attribute bits, as the archive's entry information gives them.
enum ZipAttribute : uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
};

struct ZipEntry {
    uint32_t index = 0;
    std::string storedName;   // UTF-8 bytes as stored
    std::u16string name;      // relative name after clean-up; empty when refused
    bool nameRefused = false; // the stored name would reach outside the target folder
    uint32_t attributes = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    // Which times the local "UT" extra field supplied (bit 0 modification, 1 access, 2 creation),
    // each as a Windows file time (100 ns ticks since 1601).
    uint8_t unixTimes = 0;
    uint64_t modified = 0;
    uint64_t accessed = 0;
    uint64_t created = 0;
    uint16_t flags = 0;
    uint16_t method = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0;
    uint64_t uncompressedSize = 0;
    uint64_t localHeaderOffset = 0;  // counted from the start of the file

    bool IsDirectory() const { return (attributes & kAttrDirectory) != 0; }
};

// Receives the inflated bytes of a member in order.
class ZipSink {
public:
    virtual ~ZipSink() = default;
    [[nodiscard]] virtual bool Write(const uint8_t* data, size_t count) = 0;
};

class ZipReader {
public:
    static constexpr uint32_t kEndSearchSpan = 65535;
    static constexpr uint32_t kChunk = 1024;
    static constexpr size_t kInflateChunk = 16384;

    // Fails when already open or no usable end-of-central-directory record is found.
    [[nodiscard]] bool Open(QV::Stream& file);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    uint32_t EntryCount() const { return uint32_t(records_.size()); }
    // Bytes in front of the archive that its own offsets do not count (a stub prepended later).
    uint64_t Shift() const { return shift_; }

    // First member whose stored UTF-8 name equals `name`; with ignoreCase only a-z/A-Z fold.
    [[nodiscard]] bool Find(const std::u16string& name, bool ignoreCase, ZipEntry& entry) const;
    [[nodiscard]] bool EntryAt(uint32_t index, ZipEntry& entry) const;

    [[nodiscard]] ZipResult Extract(const ZipEntry& entry, ZipSink& sink) const;
    [[nodiscard]] ZipResult ExtractToMemory(const ZipEntry& entry, QV::MemoryStream& out) const;
    // Member found ignoring case, extracted whole; none when missing or damaged.
    std::unique_ptr<QV::MemoryStream> ExtractToMemory(const std::u16string& name) const;
    // Member extracted and read as a tree-data node; false when missing, damaged or not a tree.
    [[nodiscard]] bool LoadTree(const std::u16string& name, QV::TreeNode& tree) const;

private:
    bool TryEndRecord(uint64_t position, uint64_t fileSize);
    bool ReadAt(uint64_t offset, void* data, size_t count) const;
    void ReadLocalTimes(ZipEntry& entry) const;
    ZipResult CheckLocalHeader(const ZipEntry& entry, uint64_t& dataStart) const;

    QV::Stream* file_ = nullptr;
    uint64_t fileSize_ = 0;
    uint64_t shift_ = 0;
    std::vector<uint8_t> directory_;
    std::vector<size_t> records_;  // offsets of the entries inside directory_
};

}  // namespace setup
