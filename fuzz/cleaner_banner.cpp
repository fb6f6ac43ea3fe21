// Any byte string as banner.qbf: it parses or is rejected, and every banner of a file that parses
// has an image block inside the file and settings the window can use.
#include "targets/BannerFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto file = BannerFile::Parse(std::vector<uint8_t>(data, data + size));
    if (!file) return 0;
    if (file->Count() == 0) std::abort();
    for (size_t i = 0; i < file->Count(); ++i) {
        const Banner& banner = file->At(i);
        std::vector<uint8_t> image;
        if (!file->ImageData(banner, image) || image.empty() || image.size() > size) std::abort();
        if (banner.numImages < 1 || banner.imageWidth < 0) std::abort();
        (void)IsOpenableBannerUrl(banner.url);
        if (BannerIndexFor(i, file->Count()) != i || BannerIndexFor(file->Count(), file->Count()) != 0) std::abort();
    }
    return 0;
}
