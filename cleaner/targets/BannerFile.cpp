#include "targets/BannerFile.h"

#include "targets/PropertyTree.h"

#include <cstring>
#include <fstream>
#include <utility>

namespace {

uint32_t LittleEndianU32(const uint8_t* b) {
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

bool ReadU32(ByteStream& in, uint32_t& value) {
    uint8_t b[4];
    if (in.Read(b, 4) != 4) return false;
    value = LittleEndianU32(b);
    return true;
}

// The banner's properties from its node; missing ones, and ones of another type, keep their
// defaults (the node's own typed lookup).
bool ApplyProperties(const PropertyNode& node, Banner& banner, const StoredText& text) {
    auto integer = [&](const char* name, int32_t& field) {
        field = static_cast<int32_t>(node.GetInteger(name, static_cast<uint32_t>(field)));
    };
    integer("AnimTime", banner.animTime);
    integer("AnimType", banner.animType);
    integer("NumImages", banner.numImages);
    integer("ImageWidth", banner.imageWidth);
    integer("WndX", banner.wndX);
    integer("WndY", banner.wndY);
    const Property* url = node.Find("URL");
    if (!url || url->type != static_cast<uint8_t>(PropertyType::String)) {
        banner.url = kDefaultBannerUrl;
        return true;
    }
    return text.Load(url->text, banner.url);
}

// Smallest entry header: three u32s, then a node of tag, empty name and count.
constexpr uint64_t kMinEntryHeaderBytes = 12 + 4 + 2 + 4;

}  // namespace

std::optional<BannerFile> BannerFile::Parse(std::vector<uint8_t> bytes, const StoredText& text) {
    if (bytes.size() < 8) return std::nullopt;
    const bool magic = std::memcmp(bytes.data(), "QBF1", 4) == 0 ||
                       std::memcmp(bytes.data(), "\x45\x42\x46\x31", 4) == 0;
    if (!magic) return std::nullopt;
    BannerFile file;
    file.stream_ = MemoryStream(std::move(bytes));
    MemoryStream& in = file.stream_;
    in.Seek(4, ByteStream::Origin::Begin);
    uint32_t count = 0;
    if (!ReadU32(in, count) || count == 0) return std::nullopt;
    if (count > in.Remaining() / kMinEntryHeaderBytes) return std::nullopt;
    for (uint32_t i = 0; i < count; ++i) {
        Banner banner;
        uint32_t unused1 = 0, unused2 = 0;
        if (!ReadU32(in, unused1) || !ReadU32(in, unused2) || !ReadU32(in, banner.dataOffset)) return std::nullopt;
        PropertyNode node;
        if (!node.Read(in)) return std::nullopt;
        if (!ApplyProperties(node, banner, text)) return std::nullopt;
        if (file.DataBlockSize(banner) == 0) return std::nullopt;
        if (banner.numImages < 1 || banner.imageWidth < 0) return std::nullopt;
        file.banners_.push_back(std::move(banner));
    }
    return file;
}

uint32_t BannerFile::DataBlockSize(const Banner& banner) const {
    const std::vector<uint8_t>& bytes = stream_.Bytes();
    const size_t offset = banner.dataOffset;
    if (offset > bytes.size() || bytes.size() - offset < 4) return 0;
    const uint32_t n = LittleEndianU32(bytes.data() + offset);
    return n <= bytes.size() - offset - 4 ? n : 0;
}

bool BannerFile::ImageData(const Banner& banner, std::vector<uint8_t>& out) const {
    out.clear();
    const uint32_t n = DataBlockSize(banner);
    if (n == 0) return false;
    const auto first = stream_.Bytes().begin() + static_cast<std::ptrdiff_t>(banner.dataOffset) + 4;
    out.assign(first, first + n);
    return true;
}

std::optional<BannerChoice> NextBanner(const std::string& path, size_t& counter) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<uint64_t>(size) > kMaxBannerFileSize) return std::nullopt;
    in.seekg(0);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return NextBanner(std::move(bytes), counter);
}

std::optional<BannerChoice> NextBanner(std::vector<uint8_t> bytes, size_t& counter, const StoredText& text) {
    if (bytes.empty() || bytes.size() > kMaxBannerFileSize) return std::nullopt;
    const std::optional<BannerFile> file = BannerFile::Parse(std::move(bytes), text);
    if (!file) return std::nullopt;
    const size_t index = BannerIndexFor(counter, file->Count());
    counter = index + 1;
    BannerChoice choice;
    choice.banner = file->At(index);
    if (!file->ImageData(choice.banner, choice.image)) return std::nullopt;
    return choice;
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
