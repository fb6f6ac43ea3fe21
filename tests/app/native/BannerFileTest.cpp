#include "targets/BannerFile.h"
#include "support/BannerWriter.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

TEST(BannerFile, ReadsPropertiesAndDefaults) {
    BannerWriter w;
    BannerWriter::Entry full;
    full.ints = {{"AnimTime", 120}, {"animtype", 1}, {"NumImages", 4}, {"ImageWidth", 46}, {"WndX", 10}, {"WndY", 20}};
    full.withUrl = true;
    full.url = "https://example.test/";
    full.image = {9, 8, 7, 6};
    BannerWriter::Entry bare;
    auto file = BannerFile::Parse(w.Build({full, bare}));
    ASSERT_TRUE(file);
    ASSERT_EQ(file->Count(), 2u);
    const Banner& a = file->At(0);
    EXPECT_EQ(a.animTime, 120);
    EXPECT_EQ(a.animType, 1);
    EXPECT_EQ(a.numImages, 4);
    EXPECT_EQ(a.imageWidth, 46);
    EXPECT_EQ(a.wndX, 10);
    EXPECT_EQ(a.wndY, 20);
    EXPECT_EQ(a.url, "https://example.test/");
    std::vector<uint8_t> image;
    ASSERT_TRUE(file->ImageData(a, image));
    EXPECT_EQ(image, (std::vector<uint8_t>{9, 8, 7, 6}));
    const Banner& b = file->At(1);
    EXPECT_EQ(b.animTime, 0);
    EXPECT_EQ(b.numImages, 1);
    EXPECT_EQ(b.wndX, 280);
    EXPECT_EQ(b.wndY, 140);
    EXPECT_EQ(b.url, kDefaultBannerUrl);
}

TEST(BannerFile, AcceptsBothMagicSpellings) {
    BannerWriter w;
    EXPECT_TRUE(BannerFile::Parse(w.Build({BannerWriter::Entry{}}, "QBF1")));
    EXPECT_TRUE(BannerFile::Parse(w.Build({BannerWriter::Entry{}}, "\x45\x42\x46\x31")));
    EXPECT_FALSE(BannerFile::Parse(w.Build({BannerWriter::Entry{}}, "PRT2")));
}

TEST(BannerFile, RejectsCorruptFiles) {
    BannerWriter w;
    const std::vector<uint8_t> good = w.Build({BannerWriter::Entry{}, BannerWriter::Entry{}});
    ASSERT_TRUE(BannerFile::Parse(good));
    EXPECT_FALSE(BannerFile::Parse({}));
    EXPECT_FALSE(BannerFile::Parse(w.Build({}))) << "no banner";
    // Every truncation fails cleanly.
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(BannerFile::Parse(std::vector<uint8_t>(good.begin(), good.begin() + n))) << n;
    // A huge entry count.
    auto bad = good;
    bad[4] = bad[5] = bad[6] = bad[7] = 0xFF;
    EXPECT_FALSE(BannerFile::Parse(bad));
    // A data offset past the end.
    bad = good;
    bad[16] = bad[17] = 0xFF;
    EXPECT_FALSE(BannerFile::Parse(bad));
    // A zero frame count.
    BannerWriter::Entry zero;
    zero.ints = {{"NumImages", 0}};
    EXPECT_FALSE(BannerFile::Parse(w.Build({zero})));
}

TEST(BannerRotation, ThreeBannersInTurn) {
    size_t counter = 0;
    std::vector<size_t> shown;
    for (int showing = 0; showing < 7; ++showing) {
        const size_t index = BannerIndexFor(counter, 3);
        shown.push_back(index);
        counter = index + 1;
    }
    EXPECT_EQ(shown, (std::vector<size_t>{0, 1, 2, 0, 1, 2, 0}));
    // The file shrank between two showings: start again at 0.
    EXPECT_EQ(BannerIndexFor(5, 2), 0u);
}

// A banner file on disk, removed at the end of the test.
class BannerFileOnDisk {
public:
    explicit BannerFileOnDisk(const std::vector<uint8_t>& bytes) {
        char name[] = "/tmp/tl_banner_XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0) close(fd);
        path_ = name;
        std::ofstream(path_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
    }
    ~BannerFileOnDisk() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

TEST(BannerRotation, NextBannerReadsTheFileAndTakesTurns) {
    BannerWriter w;
    BannerWriter::Entry first, second;
    first.ints = {{"WndX", 11}};
    first.image = {1, 2, 3};
    second.ints = {{"WndX", 22}};
    second.image = {4, 5};
    const BannerFileOnDisk file(w.Build({first, second}));
    size_t counter = 0;
    std::vector<int> places;
    for (int showing = 0; showing < 3; ++showing) {
        const std::optional<BannerChoice> next = NextBanner(file.Path(), counter);
        ASSERT_TRUE(next);
        places.push_back(next->banner.wndX);
        const std::vector<uint8_t> expected = showing == 1 ? second.image : first.image;
        EXPECT_EQ(next->image, expected);
    }
    EXPECT_EQ(places, (std::vector<int>{11, 22, 11}));
    EXPECT_EQ(counter, 1u);

    EXPECT_FALSE(NextBanner(file.Path() + ".missing", counter));
    EXPECT_EQ(counter, 1u) << "a missing file leaves the turn alone";
    std::vector<uint8_t> corrupt = w.Build({first});
    corrupt.resize(corrupt.size() - 1);
    const BannerFileOnDisk bad(corrupt);
    EXPECT_FALSE(NextBanner(bad.Path(), counter));
    // A file over the limit is refused before it is parsed, even a valid one.
    std::vector<uint8_t> huge = w.Build({first});
    huge.resize(kMaxBannerFileSize + 1);
    const BannerFileOnDisk big(huge);
    ASSERT_TRUE(BannerFile::Parse(huge)) << "the padding alone keeps the file valid";
    EXPECT_FALSE(NextBanner(big.Path(), counter));
}

TEST(BannerUrl, OnlyWebAddressesOpen) {
    EXPECT_TRUE(IsOpenableBannerUrl("http://x.test/"));
    EXPECT_TRUE(IsOpenableBannerUrl("HTTPS://x.test/"));
    EXPECT_FALSE(IsOpenableBannerUrl("file:///c:/windows/system32/calc.exe"));
    EXPECT_FALSE(IsOpenableBannerUrl("c:\\windows\\notepad.exe"));
    EXPECT_FALSE(IsOpenableBannerUrl("http://"));
    EXPECT_FALSE(IsOpenableBannerUrl(""));
}

}  // namespace
