#include "targets/LevelDbKeys.h"

#include <cstdint>
#include <string>

namespace {

constexpr size_t kLogBlock = 32768;
constexpr size_t kLogHeader = 7;
constexpr size_t kFooter = 48;
constexpr uint64_t kTableMagic = 0xdb4775248b80fb57ull;
constexpr size_t kBlockTrailer = 5;  // compression type and checksum
// Far above the 4 KiB blocks browsers write; a larger claim is a damaged or hostile file.
constexpr uint32_t kMaxBlock = 16u * 1024 * 1024;

class Cursor {
public:
    explicit Cursor(std::string_view bytes) : bytes_(bytes) {}
    bool Empty() const { return pos_ >= bytes_.size(); }
    bool Varint(uint64_t& value, int maxBytes = 10) {
        value = 0;
        for (int shift = 0, i = 0; i < maxBytes; ++i, shift += 7) {
            if (pos_ >= bytes_.size()) return false;
            const uint8_t byte = static_cast<uint8_t>(bytes_[pos_++]);
            value |= static_cast<uint64_t>(byte & 0x7f) << shift;
            if (!(byte & 0x80)) return true;
        }
        return false;
    }
    bool Varint32(uint32_t& value) {
        uint64_t wide = 0;
        if (!Varint(wide, 5) || wide > UINT32_MAX) return false;
        value = static_cast<uint32_t>(wide);
        return true;
    }
    bool Bytes(size_t count, std::string_view& out) {
        if (count > bytes_.size() - pos_) return false;
        out = bytes_.substr(pos_, count);
        pos_ += count;
        return true;
    }
    bool Slice(std::string_view& out) {
        uint32_t length = 0;
        return Varint32(length) && Bytes(length, out);
    }
    bool Byte(uint8_t& out) {
        if (pos_ >= bytes_.size()) return false;
        out = static_cast<uint8_t>(bytes_[pos_++]);
        return true;
    }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

uint32_t Fixed32(std::string_view bytes, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

uint64_t Fixed64(std::string_view bytes, size_t at) {
    return (static_cast<uint64_t>(Fixed32(bytes, at + 4)) << 32) | Fixed32(bytes, at);
}

// One write batch of the log: sequence, count, then each record.
bool ReadBatch(std::string_view batch, const LevelDbRecord& record) {
    if (batch.size() < 12) return false;
    Cursor in(batch.substr(12));
    const uint32_t count = Fixed32(batch, 8);
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t tag = 0;
        std::string_view key, value;
        if (!in.Byte(tag) || !in.Slice(key)) return false;
        if (tag == 1) {
            if (!in.Slice(value)) return false;
        } else if (tag != 0) {
            return false;
        }
        record(key, value);
    }
    return in.Empty();
}

enum Fragment : uint8_t { kZero = 0, kFull = 1, kFirst = 2, kMiddle = 3, kLast = 4 };

bool ReadLog(std::string_view bytes, const LevelDbRecord& record) {
    std::string joined;
    bool inRecord = false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t blockLeft = kLogBlock - pos % kLogBlock;
        if (blockLeft < kLogHeader) {
            pos += blockLeft;  // the block's zero trailer
            continue;
        }
        if (bytes.size() - pos < kLogHeader) return true;  // cut off in a header
        const size_t length = static_cast<uint8_t>(bytes[pos + 4]) | (static_cast<size_t>(static_cast<uint8_t>(bytes[pos + 5])) << 8);
        const uint8_t type = static_cast<uint8_t>(bytes[pos + 6]);
        if (type == kZero && length == 0) {
            pos += blockLeft;  // space written ahead of the records
            continue;
        }
        if (kLogHeader + length > blockLeft) {
            if (pos + kLogHeader + length > bytes.size()) return true;  // the last record, cut off
            return false;
        }
        if (pos + kLogHeader + length > bytes.size()) return true;
        const std::string_view data = bytes.substr(pos + kLogHeader, length);
        pos += kLogHeader + length;
        switch (type) {
            case kFull:
                if (inRecord) return false;
                if (!ReadBatch(data, record)) return false;
                break;
            case kFirst:
                if (inRecord) return false;
                joined.assign(data);
                inRecord = true;
                break;
            case kMiddle:
            case kLast:
                if (!inRecord) return false;
                joined.append(data);
                if (type == kLast) {
                    inRecord = false;
                    if (!ReadBatch(joined, record)) return false;
                }
                break;
            default: return false;
        }
    }
    return true;  // a record begun but not finished was never written whole
}

// Snappy's raw format: the length, then literals and copies of what came before.
bool Unsnappy(std::string_view in, std::string& out) {
    Cursor c(in);
    uint32_t expected = 0;
    if (!c.Varint32(expected) || expected > kMaxBlock) return false;
    out.clear();
    while (!c.Empty()) {
        uint8_t tag = 0;
        if (!c.Byte(tag)) return false;
        size_t length = 0, offset = 0;
        if ((tag & 3) == 0) {
            length = (tag >> 2) + 1u;
            if (length > 60) {
                const size_t extra = length - 60;
                length = 0;
                for (size_t i = 0; i < extra; ++i) {
                    uint8_t b = 0;
                    if (!c.Byte(b)) return false;
                    length |= static_cast<size_t>(b) << (8 * i);
                }
                length += 1;
            }
            std::string_view literal;
            if (length > expected - out.size() || !c.Bytes(length, literal)) return false;
            out.append(literal);
            continue;
        }
        std::string_view raw;
        if ((tag & 3) == 1) {
            if (!c.Bytes(1, raw)) return false;
            length = ((tag >> 2) & 7u) + 4;
            offset = (static_cast<size_t>(tag >> 5) << 8) | static_cast<uint8_t>(raw[0]);
        } else {
            const size_t width = (tag & 3) == 2 ? 2 : 4;
            if (!c.Bytes(width, raw)) return false;
            length = (tag >> 2) + 1u;
            for (size_t i = 0; i < width; ++i) offset |= static_cast<size_t>(static_cast<uint8_t>(raw[i])) << (8 * i);
        }
        if (offset == 0 || offset > out.size() || length > expected - out.size()) return false;
        const size_t from = out.size() - offset;
        for (size_t i = 0; i < length; ++i) out.push_back(out[from + i]);  // copies may overlap
    }
    return out.size() == expected;
}

struct Handle {
    uint64_t offset = 0, size = 0;
};

bool ReadHandle(Cursor& c, Handle& handle) { return c.Varint(handle.offset) && c.Varint(handle.size); }

// A block's contents as stored, inflated into storage when compressed.
bool BlockAt(std::string_view file, const Handle& handle, std::string& storage, std::string_view& block) {
    if (handle.size > kMaxBlock || handle.offset > file.size() || file.size() - handle.offset < handle.size + kBlockTrailer)
        return false;
    const std::string_view raw = file.substr(static_cast<size_t>(handle.offset), static_cast<size_t>(handle.size));
    switch (static_cast<uint8_t>(file[static_cast<size_t>(handle.offset + handle.size)])) {
        case 0: block = raw; return true;
        case 1:
            if (!Unsnappy(raw, storage)) return false;
            block = storage;
            return true;
        default: return false;
    }
}

// The entries of a block: keys share prefixes with the one before; restart points end it.
template <typename Visit>
bool ForEachEntry(std::string_view block, Visit visit) {
    if (block.size() < 4) return false;
    const uint32_t restarts = Fixed32(block, block.size() - 4);
    if (restarts > (block.size() - 4) / 4) return false;
    Cursor c(block.substr(0, block.size() - 4 - 4 * static_cast<size_t>(restarts)));
    std::string key;
    while (!c.Empty()) {
        uint32_t shared = 0, unshared = 0, valueLength = 0;
        std::string_view delta, value;
        if (!c.Varint32(shared) || !c.Varint32(unshared) || !c.Varint32(valueLength) || shared > key.size() ||
            !c.Bytes(unshared, delta) || !c.Bytes(valueLength, value))
            return false;
        key.resize(shared);
        key.append(delta);
        if (!visit(std::string_view(key), value)) return false;
    }
    return true;
}

bool ReadTable(std::string_view file, const LevelDbRecord& record) {
    if (file.size() < kFooter || Fixed64(file, file.size() - 8) != kTableMagic) return false;
    Cursor footer(file.substr(file.size() - kFooter, kFooter - 8));
    Handle meta, index;
    if (!ReadHandle(footer, meta) || !ReadHandle(footer, index)) return false;
    std::string indexStorage, dataStorage;
    std::string_view indexBlock;
    if (!BlockAt(file, index, indexStorage, indexBlock)) return false;
    return ForEachEntry(indexBlock, [&](std::string_view, std::string_view handleBytes) {
        Cursor c(handleBytes);
        Handle data;
        std::string_view dataBlock;
        if (!ReadHandle(c, data) || !BlockAt(file, data, dataStorage, dataBlock)) return false;
        return ForEachEntry(dataBlock, [&](std::string_view internalKey, std::string_view value) {
            // The stored key ends in eight bytes of sequence number and record type.
            if (internalKey.size() < 8) return false;
            record(internalKey.substr(0, internalKey.size() - 8), value);
            return true;
        });
    });
}

bool EndsWith(std::string_view name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i) {
        char c = name[name.size() - suffix.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

}  // namespace

bool ReadLevelDbFile(std::string_view bytes, LevelDbFileKind kind, const LevelDbRecord& record) {
    return kind == LevelDbFileKind::Log ? ReadLog(bytes, record) : ReadTable(bytes, record);
}

bool LevelDbFileKindOf(std::string_view name, LevelDbFileKind& kind) {
    if (EndsWith(name, ".log")) {
        kind = LevelDbFileKind::Log;
        return true;
    }
    if (EndsWith(name, ".ldb") || EndsWith(name, ".sst")) {
        kind = LevelDbFileKind::Table;
        return true;
    }
    return false;
}
