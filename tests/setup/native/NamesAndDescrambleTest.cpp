// Member name clean-up and path safety, and the descrambling transform.
#include "archive/Descramble.h"
#include "archive/EntryName.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {

using setup::CleanEntryName;

TEST(EntryName, DriveFolderParentFileBecomesTheBareFileName) {
    EXPECT_EQ(CleanEntryName(u"C:\\folder\\..\\file.txt"), std::u16string(u"file.txt"));
}

TEST(EntryName, LeadingDrivesAndSeparatorsAreSkipped) {
    EXPECT_EQ(CleanEntryName(u"/abs/file"), std::u16string(u"abs/file"));
    EXPECT_EQ(CleanEntryName(u"\\\\server\\share\\f"), std::u16string(u"server\\share\\f"));
    EXPECT_EQ(CleanEntryName(u"C:D:\\/x"), std::u16string(u"x"));
    EXPECT_EQ(CleanEntryName(u"plain.txt"), std::u16string(u"plain.txt"));
    EXPECT_EQ(CleanEntryName(u"dir/sub/"), std::u16string(u"dir/sub/"));
}

TEST(EntryName, EverythingUpToAParentStepIsDropped) {
    EXPECT_EQ(CleanEntryName(u"a/b/../c/d"), std::u16string(u"c/d"));
    EXPECT_EQ(CleanEntryName(u"a\\..\\b/../c\\../d"), std::u16string(u"d"));
    EXPECT_EQ(CleanEntryName(u"a/..\\b"), std::u16string(u"b"));
    EXPECT_EQ(CleanEntryName(u"a\\../b"), std::u16string(u"b"));
}

TEST(EntryName, ParentStepsTheFourSequencesMissAreRefused) {
    EXPECT_FALSE(CleanEntryName(u"../evil.exe"));
    EXPECT_FALSE(CleanEntryName(u"..\\evil.exe"));
    EXPECT_FALSE(CleanEntryName(u"C:..\\evil.exe"));
    EXPECT_FALSE(CleanEntryName(u"dir\\.."));
    EXPECT_FALSE(CleanEntryName(u"dir/.."));
    EXPECT_FALSE(CleanEntryName(u".."));
    EXPECT_FALSE(CleanEntryName(u""));
    EXPECT_FALSE(CleanEntryName(u"C:"));
    EXPECT_FALSE(CleanEntryName(u"a/C:/x"));
    EXPECT_FALSE(CleanEntryName(u"file.txt:stream"));
}

TEST(EntryName, DotsInsideNamesAreFine) {
    EXPECT_EQ(CleanEntryName(u"..hidden"), std::u16string(u"..hidden"));
    EXPECT_EQ(CleanEntryName(u"a/.../b"), std::u16string(u"a/.../b"));
    EXPECT_EQ(CleanEntryName(u"name..txt"), std::u16string(u"name..txt"));
}

TEST(ContainedPath, JudgesOutputNames) {
    EXPECT_TRUE(setup::IsContainedRelativePath(u"Tracelorn.exe"));
    EXPECT_TRUE(setup::IsContainedRelativePath(u"STDPLUGS\\a.tlp"));
    EXPECT_FALSE(setup::IsContainedRelativePath(u"..\\x"));
    EXPECT_FALSE(setup::IsContainedRelativePath(u"\\x"));
    EXPECT_FALSE(setup::IsContainedRelativePath(u"C:\\x"));
    EXPECT_FALSE(setup::IsContainedRelativePath(u""));
}

std::vector<uint8_t> Sequence(size_t n) {
    std::vector<uint8_t> v(n);
    std::iota(v.begin(), v.end(), uint8_t(0));
    return v;
}

TEST(Descramble, OneByteIsUnchanged) {
    std::vector<uint8_t> v = {0xAB};
    setup::Descramble(v.data(), v.size());
    EXPECT_EQ(v, std::vector<uint8_t>({0xAB}));
}

TEST(Descramble, EightBytesSwapZeroSixAndTwoFour) {
    std::vector<uint8_t> v = Sequence(8);
    setup::Descramble(v.data(), v.size());
    EXPECT_EQ(v, std::vector<uint8_t>({6, 1, 4, 3, 2, 5, 0, 7}));
}

TEST(Descramble, OddSizesAndItsOwnInverse) {
    std::vector<uint8_t> v = Sequence(9);
    setup::Descramble(v.data(), v.size());
    // floor(9/2) = 4: k = 0, 1 swap 0<->7 and 2<->5.
    EXPECT_EQ(v, std::vector<uint8_t>({7, 1, 5, 3, 4, 2, 6, 0, 8}));
    for (size_t n : {2u, 3u, 4u, 5u, 100u, 1001u}) {
        std::vector<uint8_t> w = Sequence(n);
        setup::Descramble(w.data(), w.size());
        setup::Descramble(w.data(), w.size());
        EXPECT_EQ(w, Sequence(n)) << n;
    }
    setup::Descramble(nullptr, 0);
}

TEST(Descramble, ListedExtensionsMatchIgnoringCase) {
    const std::vector<std::u16string> listed = {u".tlp", u".DAT"};
    EXPECT_TRUE(setup::HasListedExtension(u"a\\b.TLP", listed));
    EXPECT_TRUE(setup::HasListedExtension(u"x.dat", listed));
    EXPECT_FALSE(setup::HasListedExtension(u"x.data", listed));
    EXPECT_FALSE(setup::HasListedExtension(u"dir.tlp\\file", listed));
    EXPECT_FALSE(setup::HasListedExtension(u"noext", listed));
    EXPECT_FALSE(setup::HasListedExtension(u"x.tlp", {}));
}

}  // namespace
