#include "archive/ZipReader.h"

#include "archive/EntryName.h"
#include "config/Text.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace setup {

namespace {

constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kFlagDataDescriptor = 0x0008;
// Deflate cannot expand data by more than about 1032 to 1: a larger declared size is a lie.
constexpr uint64_t kMaxDeflateRatio = 1032;
constexpr uint64_t kUnixEpochSeconds = 11644473600ULL;

uint16_t Word(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Dword(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

uint32_t AttributesFor(uint16_t madeBy, uint32_t external) {
    const uint8_t host = uint8_t(madeBy >> 8);
    if (host == 0 || host == 7 || host == 11 || host == 14) {
        return external & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive);
    }
    uint32_t attributes = kAttrArchive;
    if (external & (1u << 30)) attributes |= kAttrDirectory;
    if (!(external & (1u << 23))) attributes |= kAttrReadOnly;
    return attributes;
}

bool NamesEqual(const uint8_t* stored, size_t storedSize, const std::string& wanted, bool ignoreCase) {
    if (storedSize != wanted.size()) return false;
    for (size_t i = 0; i < storedSize; ++i) {
        uint8_t a = stored[i];
        uint8_t b = uint8_t(wanted[i]);
        if (ignoreCase) {
            if (a >= 'A' && a <= 'Z') a = uint8_t(a + 32);
            if (b >= 'A' && b <= 'Z') b = uint8_t(b + 32);
        }
        if (a != b) return false;
    }
    return true;
}

class MemorySink : public ZipSink {
public:
    explicit MemorySink(QV::MemoryStream& out) : out_(out) {}
    bool Write(const uint8_t* data, size_t count) override { return out_.Write(data, count) == count; }

private:
    QV::MemoryStream& out_;
};

}  // namespace

bool ZipReader::ReadAt(uint64_t offset, void* data, size_t count) const {
    if (offset > fileSize_ || count > fileSize_ - offset) return false;
    if (file_->Seek(int64_t(offset), QV::SeekBegin) != int64_t(offset)) return false;
    return file_->Read(data, count) == count;
}

bool ZipReader::Open(QV::Stream& file) {
    if (file_) return false;
    file_ = &file;
    fileSize_ = file.Size();
    if (fileSize_ < kEndSize) {
        Close();
        return false;
    }
    const uint64_t searchStart = fileSize_ > kEndSearchSpan ? fileSize_ - kEndSearchSpan : 0;
    uint64_t end = fileSize_;
    uint8_t chunk[kChunk];
    uint64_t lastChecked = fileSize_;  // candidates at or above it were tried already
    for (;;) {
        const uint64_t start = end - searchStart > kChunk ? end - kChunk : searchStart;
        const size_t count = size_t(end - start);
        if (!ReadAt(start, chunk, count)) break;
        for (size_t i = count >= 4 ? count - 4 + 1 : 0; i-- > 0;) {
            const uint64_t position = start + i;
            if (position >= lastChecked) continue;
            if (Dword(chunk + i) != kEndSignature) continue;
            lastChecked = position;
            if (TryEndRecord(position, fileSize_)) return true;
        }
        if (start == searchStart) break;
        end = start + 4;  // chunks overlap so a signature across their border is seen
    }
    Close();
    return false;
}

bool ZipReader::TryEndRecord(uint64_t position, uint64_t fileSize) {
    uint8_t record[kEndSize];
    if (!ReadAt(position, record, kEndSize)) return false;
    const uint16_t entries = Word(record + 10);
    const uint32_t directorySize = Dword(record + 12);
    const uint32_t directoryOffset = Dword(record + 16);
    if (uint64_t(directoryOffset) + directorySize > position) return false;
    const uint64_t shift = position - (uint64_t(directoryOffset) + directorySize);
    const uint64_t directoryStart = uint64_t(directoryOffset) + shift;
    if (uint64_t(entries) * kCentralSize > directorySize || directoryStart + directorySize > fileSize) return false;

    std::vector<uint8_t> directory(directorySize);
    if (directorySize && !ReadAt(directoryStart, directory.data(), directorySize)) return false;
    std::vector<size_t> records;
    records.reserve(entries);
    size_t offset = 0;
    for (uint32_t i = 0; i < entries; ++i) {
        if (directorySize - offset < kCentralSize) return false;
        const uint8_t* p = directory.data() + offset;
        if (Dword(p) != kCentralSignature) return false;
        const size_t total = kCentralSize + Word(p + 28) + Word(p + 30) + Word(p + 32);
        if (directorySize - offset < total) return false;
        if (uint64_t(Dword(p + 42)) + shift + kLocalSize > directoryStart) return false;
        records.push_back(offset);
        offset += total;
    }
    shift_ = shift;
    directory_ = std::move(directory);
    records_ = std::move(records);
    return true;
}

void ZipReader::Close() {
    file_ = nullptr;
    fileSize_ = 0;
    shift_ = 0;
    directory_.clear();
    records_.clear();
}

bool ZipReader::EntryAt(uint32_t index, ZipEntry& entry) const {
    if (!file_ || index >= records_.size()) return false;
    const uint8_t* p = directory_.data() + records_[index];
    entry = ZipEntry();
    entry.index = index;
    entry.flags = Word(p + 8);
    entry.method = Word(p + 10);
    entry.dosTime = Word(p + 12);
    entry.dosDate = Word(p + 14);
    entry.crc = Dword(p + 16);
    entry.compressedSize = Dword(p + 20);
    entry.uncompressedSize = Dword(p + 24);
    entry.localHeaderOffset = uint64_t(Dword(p + 42)) + shift_;
    entry.storedName.assign(reinterpret_cast<const char*>(p + kCentralSize), Word(p + 28));
    entry.attributes = AttributesFor(Word(p + 4), Dword(p + 38));
    const char last = entry.storedName.empty() ? '\0' : entry.storedName.back();
    if (last == '/' || last == '\\') entry.attributes |= kAttrDirectory;
    if (auto clean = CleanEntryName(Utf8ToU16(entry.storedName))) {
        entry.name = *clean;
    } else {
        entry.nameRefused = true;
    }
    ReadLocalTimes(entry);
    return true;
}

void ZipReader::ReadLocalTimes(ZipEntry& entry) const {
    uint8_t header[kLocalSize];
    if (!ReadAt(entry.localHeaderOffset, header, kLocalSize) || Dword(header) != kLocalSignature) return;
    const uint16_t extraSize = Word(header + 28);
    std::vector<uint8_t> extra(extraSize);
    if (!extraSize || !ReadAt(entry.localHeaderOffset + kLocalSize + Word(header + 26), extra.data(), extraSize)) return;
    size_t at = 0;
    while (extraSize - at >= 4) {
        const uint16_t id = Word(&extra[at]);
        const uint16_t size = Word(&extra[at + 2]);
        at += 4;
        if (size > extraSize - at) return;
        if (id == 0x5455 && size >= 1) {
            const uint8_t flags = extra[at];
            size_t field = at + 1;
            uint64_t* const targets[3] = {&entry.modified, &entry.accessed, &entry.created};
            for (int bit = 0; bit < 3; ++bit) {
                if (!(flags & (1 << bit)) || field + 4 > at + size) continue;
                const int64_t seconds = int32_t(Dword(&extra[field]));
                *targets[bit] = uint64_t(seconds + int64_t(kUnixEpochSeconds)) * 10000000ULL;
                entry.unixTimes |= uint8_t(1 << bit);
                field += 4;
            }
            return;
        }
        at += size;
    }
}

bool ZipReader::Find(const std::u16string& name, bool ignoreCase, ZipEntry& entry) const {
    if (!file_) return false;
    const std::string wanted = U16ToUtf8(name);
    if (wanted.size() >= 256) return false;
    for (uint32_t i = 0; i < records_.size(); ++i) {
        const uint8_t* p = directory_.data() + records_[i];
        if (NamesEqual(p + kCentralSize, Word(p + 28), wanted, ignoreCase)) return EntryAt(i, entry);
    }
    return false;
}

ZipResult ZipReader::CheckLocalHeader(const ZipEntry& entry, uint64_t& dataStart) const {
    uint8_t header[kLocalSize];
    if (!ReadAt(entry.localHeaderOffset, header, kLocalSize)) return ZipResult::ReadError;
    if (Dword(header) != kLocalSignature) return ZipResult::Corrupt;
    const uint16_t flags = Word(header + 6);
    if ((flags | entry.flags) & kFlagEncrypted) return ZipResult::Encrypted;
    if (Word(header + 8) != entry.method) return ZipResult::Corrupt;
    if (entry.method != 0 && entry.method != 8) return ZipResult::Corrupt;
    if (!(flags & kFlagDataDescriptor)) {
        if (Dword(header + 14) != entry.crc || Dword(header + 18) != entry.compressedSize ||
            Dword(header + 22) != entry.uncompressedSize) {
            return ZipResult::Corrupt;
        }
    }
    dataStart = entry.localHeaderOffset + kLocalSize + Word(header + 26) + Word(header + 28);
    if (dataStart > fileSize_ || entry.compressedSize > fileSize_ - dataStart) return ZipResult::Corrupt;
    if (entry.method == 0 && entry.compressedSize != entry.uncompressedSize) return ZipResult::Corrupt;
    if (entry.method == 8 && entry.uncompressedSize > entry.compressedSize * kMaxDeflateRatio + 64) {
        return ZipResult::Corrupt;
    }
    return ZipResult::Ok;
}

ZipResult ZipReader::Extract(const ZipEntry& entry, ZipSink& sink) const {
    if (!file_) return ZipResult::BadArguments;
    uint64_t dataStart = 0;
    const ZipResult header = CheckLocalHeader(entry, dataStart);
    if (header != ZipResult::Ok) return header;
    if (file_->Seek(int64_t(dataStart), QV::SeekBegin) != int64_t(dataStart)) return ZipResult::ReadError;

    std::vector<uint8_t> input(kInflateChunk);
    std::vector<uint8_t> output(kInflateChunk);
    uint64_t left = entry.compressedSize;
    uint64_t produced = 0;
    uLong crc = crc32(0L, Z_NULL, 0);

    if (entry.method == 0) {
        while (left) {
            const size_t n = size_t(std::min<uint64_t>(left, kInflateChunk));
            if (file_->Read(input.data(), n) != n) return ZipResult::ReadError;
            crc = crc32(crc, input.data(), uInt(n));
            if (!sink.Write(input.data(), n)) return ZipResult::WriteFailed;
            left -= n;
        }
        return uint32_t(crc) == entry.crc ? ZipResult::Ok : ZipResult::Corrupt;
    }

    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return ZipResult::InflateFailed;
    struct End {
        z_stream& z;
        ~End() { inflateEnd(&z); }
    } end{z};
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        if (z.avail_in == 0 && left) {
            const size_t n = size_t(std::min<uint64_t>(left, kInflateChunk));
            if (file_->Read(input.data(), n) != n) return ZipResult::ReadError;
            left -= n;
            z.next_in = input.data();
            z.avail_in = uInt(n);
        }
        // With all input consumed zlib may still hold output that did not fit the last chunk, so
        // the end of the input is not yet the end of the member: only a call that moves nothing
        // means the stream is cut short.
        const uInt inBefore = z.avail_in;
        z.next_out = output.data();
        z.avail_out = uInt(output.size());
        status = inflate(&z, Z_NO_FLUSH);
        const size_t n = output.size() - z.avail_out;
        if (status == Z_BUF_ERROR || (status == Z_OK && n == 0 && z.avail_in == inBefore)) {
            return ZipResult::Corrupt;
        }
        if (status != Z_OK && status != Z_STREAM_END) return ZipResult::InflateFailed;
        if (n > entry.uncompressedSize - produced) return ZipResult::Corrupt;
        produced += n;
        crc = crc32(crc, output.data(), uInt(n));
        if (n && !sink.Write(output.data(), n)) return ZipResult::WriteFailed;
    }
    if (produced != entry.uncompressedSize || uint32_t(crc) != entry.crc) return ZipResult::Corrupt;
    return ZipResult::Ok;
}

ZipResult ZipReader::ExtractToMemory(const ZipEntry& entry, QV::MemoryStream& out) const {
    out.Close();
    if (!file_) return ZipResult::BadArguments;
    uint64_t dataStart = 0;
    const ZipResult header = CheckLocalHeader(entry, dataStart);
    if (header != ZipResult::Ok) return header;
    // Reserve exactly the declared size (already checked against the compressed size).
    if (entry.uncompressedSize && !out.Resize(entry.uncompressedSize)) return ZipResult::Corrupt;
    out.Seek(0, QV::SeekBegin);
    MemorySink sink(out);
    const ZipResult result = Extract(entry, sink);
    if (result != ZipResult::Ok) out.Close();
    out.Seek(0, QV::SeekBegin);
    return result;
}

std::unique_ptr<QV::MemoryStream> ZipReader::ExtractToMemory(const std::u16string& name) const {
    ZipEntry entry;
    if (!Find(name, true, entry) || entry.IsDirectory()) return nullptr;
    auto out = std::make_unique<QV::MemoryStream>();
    if (ExtractToMemory(entry, *out) != ZipResult::Ok) return nullptr;
    return out;
}

bool ZipReader::LoadTree(const std::u16string& name, QV::TreeNode& tree) const {
    tree.Clear();
    tree.SetName(std::string());
    auto data = ExtractToMemory(name);
    return data && tree.Read(*data);
}

}  // namespace setup
