#pragma once
// Test data for the main window's banners: banner files built byte by byte, the way the update
// server writes them, and small BMP images to put in them. Platform-neutral.
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

// Builds banner files byte by byte, the way the update server writes them.
class BannerWriter {
public:
    struct Entry {
        std::vector<std::pair<std::string, uint32_t>> ints;
        std::string url;
        bool withUrl = false;
        std::vector<uint8_t> image = std::vector<uint8_t>(3, 0x5A);  // some bytes (not an image)
    };
    std::vector<uint8_t> Build(const std::vector<Entry>& entries, const char* magic = "QBF1") {
        std::vector<uint8_t> headers;
        std::vector<size_t> offsetSlots;
        for (const Entry& e : entries) {
            U32(headers, 7);
            U32(headers, 9);
            offsetSlots.push_back(headers.size());
            U32(headers, 0);
            U32(headers, 0);  // tag
            Str(headers, "Banner");
            U32(headers, static_cast<uint32_t>(e.ints.size() + (e.withUrl ? 1 : 0)));
            for (const auto& p : e.ints) {
                Str(headers, p.first);
                headers.push_back(0);
                U32(headers, p.second);
            }
            if (e.withUrl) {
                Str(headers, "URL");
                headers.push_back(4);
                Str(headers, e.url);
            }
        }
        std::vector<uint8_t> file(magic, magic + 4);
        U32(file, static_cast<uint32_t>(entries.size()));
        const size_t headerStart = file.size();
        file.insert(file.end(), headers.begin(), headers.end());
        for (size_t i = 0; i < entries.size(); ++i) {
            const uint32_t offset = static_cast<uint32_t>(file.size());
            std::memcpy(&file[headerStart + offsetSlots[i]], &offset, 4);
            U32(file, static_cast<uint32_t>(entries[i].image.size()));
            file.insert(file.end(), entries[i].image.begin(), entries[i].image.end());
        }
        return file;
    }

private:
    static void U32(std::vector<uint8_t>& b, uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    static void Str(std::vector<uint8_t>& b, const std::string& s) {
        b.push_back(static_cast<uint8_t>(s.size()));
        b.push_back(static_cast<uint8_t>(s.size() >> 8));
        b.insert(b.end(), s.begin(), s.end());
    }
};

// A 24-bit bottom-up BMP file of one colour.
inline std::vector<uint8_t> SolidBmp(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t pixels = stride * static_cast<uint32_t>(height);
    std::vector<uint8_t> file;
    auto u16 = [&](uint32_t v) { file.push_back(uint8_t(v)); file.push_back(uint8_t(v >> 8)); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    file.push_back('B');
    file.push_back('M');
    u32(14 + 40 + pixels);
    u32(0);
    u32(14 + 40);
    u32(40);
    u32(static_cast<uint32_t>(width));
    u32(static_cast<uint32_t>(height));
    u16(1);
    u16(24);
    u32(0);
    u32(pixels);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            file.push_back(b);
            file.push_back(g);
            file.push_back(r);
        }
        for (uint32_t pad = static_cast<uint32_t>(width) * 3; pad < stride; ++pad) file.push_back(0);
    }
    return file;
}
