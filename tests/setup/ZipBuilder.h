#pragma once
// Builds small ZIP archives in memory for the tests that need a damaged or unusual one: every
// field can be set, and sizes and CRCs can be made to lie.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace setup_test {

struct ZipItem {
    std::string name;
    std::string data;
    uint16_t method = 8;
    uint16_t flags = 0;
    uint16_t madeBy = 0x0314;  // Unix host
    uint32_t externalAttributes = 0100644u << 16;
    uint16_t dosTime = 0x6000;
    uint16_t dosDate = 0x5021;
    std::string localExtra;
    bool lieCrc = false;              // store a wrong CRC in both headers
    int64_t declaredSize = -1;        // uncompressed size to store instead of the real one
};

inline std::string Deflate(const std::string& data) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, uLong(data.size())) + 16, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(&out[0]);
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

class ZipBuilder {
public:
    explicit ZipBuilder(std::string prefix = std::string()) : out_(std::move(prefix)) {}

    void Add(const ZipItem& item) {
        const std::string packed = item.method == 8 ? Deflate(item.data) : item.data;
        uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(item.data.data()), uInt(item.data.size())));
        if (item.lieCrc) crc ^= 0x5A5A5A5A;
        const uint32_t size = item.declaredSize >= 0 ? uint32_t(item.declaredSize) : uint32_t(item.data.size());
        const uint32_t offset = uint32_t(out_.size());
        Dword(out_, 0x04034B50);
        Word(out_, 20);
        Word(out_, item.flags);
        Word(out_, item.method);
        Word(out_, item.dosTime);
        Word(out_, item.dosDate);
        Dword(out_, crc);
        Dword(out_, uint32_t(packed.size()));
        Dword(out_, size);
        Word(out_, uint16_t(item.name.size()));
        Word(out_, uint16_t(item.localExtra.size()));
        out_ += item.name + item.localExtra + packed;

        Dword(central_, 0x02014B50);
        Word(central_, item.madeBy);
        Word(central_, 20);
        Word(central_, item.flags);
        Word(central_, item.method);
        Word(central_, item.dosTime);
        Word(central_, item.dosDate);
        Dword(central_, crc);
        Dword(central_, uint32_t(packed.size()));
        Dword(central_, size);
        Word(central_, uint16_t(item.name.size()));
        Word(central_, 0);
        Word(central_, 0);
        Word(central_, 0);
        Word(central_, 0);
        Dword(central_, item.externalAttributes);
        Dword(central_, offset - uint32_t(archiveStart_));
        central_ += item.name;
        ++count_;
    }

    // The whole file: prefix, members, central directory, end record, then `suffix`.
    std::string Finish(const std::string& suffix = std::string()) const {
        std::string out = out_;
        const uint32_t directory = uint32_t(out.size() - archiveStart_);
        out += central_;
        Dword(out, 0x06054B50);
        Word(out, 0);
        Word(out, 0);
        Word(out, count_);
        Word(out, count_);
        Dword(out, uint32_t(central_.size()));
        Dword(out, directory);
        Word(out, 0);
        return out + suffix;
    }

    // Offsets count from the archive's first byte instead of the file's (a stub prepended later).
    void CountFromArchiveStart() { archiveStart_ = out_.size(); }

private:
    static void Word(std::string& s, uint16_t v) {
        s += char(v & 0xFF);
        s += char(v >> 8);
    }
    static void Dword(std::string& s, uint32_t v) {
        Word(s, uint16_t(v));
        Word(s, uint16_t(v >> 16));
    }

    std::string out_;
    std::string central_;
    uint16_t count_ = 0;
    size_t archiveStart_ = 0;
};

}  // namespace setup_test
