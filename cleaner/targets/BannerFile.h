#pragma once
#include "targets/ByteStream.h"
#include "targets/StoredText.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// "banner.qbf": the banners the update client fetches for the main window. Magic, a u32 entry
// count, the entry headers (two unused u32s, the data offset, one property node), then one data
// block per entry (u32 byte count and the image strip). Little-endian. The magic is "QBF1"; files
// whose first bytes are 0x45 0x42 0x46 0x31 ("EBF1") are accepted as well, since both spellings
// have been written. Anything inconsistent rejects the whole file, and the window hides its banner.
struct Banner {
    int32_t animTime = 0;     // "AnimTime": ms between frames, 0 = no animation
    int32_t animType = 0;     // "AnimType": 0 loop, 1 back and forth
    int32_t numImages = 1;    // "NumImages"
    int32_t imageWidth = 0;   // "ImageWidth": width of one frame
    int32_t wndX = 280;       // "WndX"
    int32_t wndY = 140;       // "WndY"
    std::string url;          // "URL"
    uint32_t dataOffset = 0;  // where the entry's data block starts
};

inline constexpr const char* kDefaultBannerUrl = "http://www.quorvane.com/";

class BannerFile {
public:
    // Parses the headers of a whole file held in memory; none when it is not a valid banner file,
    // holds no banner, or a banner's "URL" has no form in the program's text.
    [[nodiscard]] static std::optional<BannerFile> Parse(std::vector<uint8_t> bytes,
                                                         const StoredText& text = AsciiStoredText());

    size_t Count() const { return banners_.size(); }
    const Banner& At(size_t i) const { return banners_[i]; }
    // The image strip of a banner; false when its data block does not lie inside the file.
    [[nodiscard]] bool ImageData(const Banner& banner, std::vector<uint8_t>& out) const;

private:
    // Bytes of the banner's image block; 0 when the block is empty or not inside the file.
    uint32_t DataBlockSize(const Banner& banner) const;
    MemoryStream stream_;  // the whole file
    std::vector<Banner> banners_;
};

// Banners are shown in turn, one per showing of the window: the index for a process-wide counter
// (0 once the counter has reached the count); the counter then becomes index + 1.
[[nodiscard]] size_t BannerIndexFor(size_t counter, size_t count);

// The banner whose turn it is and its image strip.
struct BannerChoice {
    Banner banner;
    std::vector<uint8_t> image;
};

// Banners are small pictures: a file larger than this is not read into memory at all.
inline constexpr uint64_t kMaxBannerFileSize = 16u << 20;

// Reads the banner file at `path` and picks the banner whose turn it is by the showing counter,
// which it advances once the file has been read as a whole. None when the file is missing, too
// large or corrupt, or the chosen banner's image block is not inside the file: the window then
// hides its banner and nothing else.
[[nodiscard]] std::optional<BannerChoice> NextBanner(const std::string& path, size_t& counter);
// The same over the file's bytes, read by the caller (the program reads them through the wide
// file calls; the path form above opens a narrow path and serves the neutral tests).
[[nodiscard]] std::optional<BannerChoice> NextBanner(std::vector<uint8_t> bytes, size_t& counter,
                                                     const StoredText& text = AsciiStoredText());

// Only web addresses are opened on a banner click; a file cannot make the shell run a program.
[[nodiscard]] bool IsOpenableBannerUrl(const std::string& url);
