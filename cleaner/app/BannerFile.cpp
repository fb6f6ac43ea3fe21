#include "app/BannerFile.h"

#include <cstring>
#include <utility>

namespace {

// A bounds-checked reader over the file: any read past the end fails the whole file.
class Reader {
public:
    Reader(const std::vector<uint8_t>& bytes, size_t pos) : bytes_(bytes), pos_(pos) {}
    bool U8(uint8_t& v) {
        if (Left() < 1) return false;
        v = bytes_[pos_++];
        return true;
    }
    bool U32(uint32_t& v) {
        if (Left() < 4) return false;
        v = static_cast<uint32_t>(bytes_[pos_]) | (static_cast<uint32_t>(bytes_[pos_ + 1]) << 8) |
            (static_cast<uint32_t>(bytes_[pos_ + 2]) << 16) | (static_cast<uint32_t>(bytes_[pos_ + 3]) << 24);
        pos_ += 4;
        return true;
    }
    bool String(std::string& s) {
        if (Left() < 2) return false;
        const size_t n = bytes_[pos_] | (bytes_[pos_ + 1] << 8);
        pos_ += 2;
        if (Left() < n) return false;
        s.assign(reinterpret_cast<const char*>(bytes_.data() + pos_), n);
        pos_ += n;
        return true;
    }
    size_t Left() const { return bytes_.size() - pos_; }

private:
    const std::vector<uint8_t>& bytes_;
    size_t pos_;
};

bool SameName(const std::string& a, const char* b) {
    const size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

enum : uint8_t { kInteger = 0, kString = 4 };

// One property node: tag, name, properties. Only the properties the banner knows are kept; the
// first of a name wins, like the linear lookup of the property tree.
bool ReadNode(Reader& r, Banner& banner) {
    uint32_t tag = 0, count = 0;
    std::string name;
    if (!r.U32(tag) || !r.String(name) || !r.U32(count)) return false;
    if (count > r.Left() / 3) return false;  // every property takes at least 3 bytes
    struct { const char* name; int32_t* field; bool seen; } ints[] = {
        {"AnimTime", &banner.animTime, false}, {"AnimType", &banner.animType, false},
        {"NumImages", &banner.numImages, false}, {"ImageWidth", &banner.imageWidth, false},
        {"WndX", &banner.wndX, false},         {"WndY", &banner.wndY, false}};
    bool urlSeen = false;
    for (uint32_t i = 0; i < count; ++i) {
        std::string propName;
        uint8_t type = 0;
        if (!r.String(propName) || !r.U8(type)) return false;
        if (type == kString) {
            std::string text;
            if (!r.String(text)) return false;
            if (!urlSeen && SameName(propName, "URL")) {
                banner.url = std::move(text);
                urlSeen = true;
            }
            continue;
        }
        uint32_t value = 0;
        if (!r.U32(value)) return false;
        if (type != kInteger) continue;  // another type counts as missing
        for (auto& p : ints) {
            if (p.seen || !SameName(propName, p.name)) continue;
            *p.field = static_cast<int32_t>(value);
            p.seen = true;
            break;
        }
    }
    if (!urlSeen) banner.url = kDefaultBannerUrl;
    return true;
}

}  // namespace

std::optional<BannerFile> BannerFile::Parse(std::vector<uint8_t> bytes) {
    if (bytes.size() < 8) return std::nullopt;
    const bool magic = std::memcmp(bytes.data(), "QBF1", 4) == 0 ||
                       std::memcmp(bytes.data(), "\x45\x42\x46\x31", 4) == 0;
    if (!magic) return std::nullopt;
    BannerFile file;
    file.bytes_ = std::move(bytes);
    Reader r(file.bytes_, 4);
    uint32_t count = 0;
    if (!r.U32(count) || count == 0) return std::nullopt;
    if (count > r.Left() / 22) return std::nullopt;  // a header takes at least 22 bytes
    for (uint32_t i = 0; i < count; ++i) {
        Banner banner;
        uint32_t unused1 = 0, unused2 = 0;
        if (!r.U32(unused1) || !r.U32(unused2) || !r.U32(banner.dataOffset)) return std::nullopt;
        if (!ReadNode(r, banner)) return std::nullopt;
        std::vector<uint8_t> probe;
        if (!file.ImageData(banner, probe)) return std::nullopt;
        if (banner.numImages < 1 || banner.imageWidth < 0) return std::nullopt;
        file.banners_.push_back(std::move(banner));
    }
    return file;
}

bool BannerFile::ImageData(const Banner& banner, std::vector<uint8_t>& out) const {
    out.clear();
    const size_t offset = banner.dataOffset;
    if (offset > bytes_.size() || bytes_.size() - offset < 4) return false;
    Reader r(bytes_, offset);
    uint32_t n = 0;
    if (!r.U32(n) || n == 0 || n > r.Left()) return false;
    out.assign(bytes_.begin() + offset + 4, bytes_.begin() + offset + 4 + n);
    return true;
}

size_t BannerIndexFor(size_t counter, size_t count) { return counter < count ? counter : 0; }

bool IsOpenableBannerUrl(const std::string& url) {
    auto startsWith = [&](const char* prefix) {
        const size_t n = std::strlen(prefix);
        if (url.size() <= n) return false;
        for (size_t i = 0; i < n; ++i) {
            char c = url[i];
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (c != prefix[i]) return false;
        }
        return true;
    };
    return startsWith("http://") || startsWith("https://");
}
