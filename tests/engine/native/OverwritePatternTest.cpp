#include "engine/KillSettings.h"
#include "engine/OverwritePattern.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
uint32_t Entry(int n) {
    const uint8_t* t = overwrite::TableBytes() + n * 4;
    return t[0] | (t[1] << 8) | (t[2] << 16) | (static_cast<uint32_t>(t[3]) << 24);
}
}  // namespace

TEST(OverwriteTable, IsTheReflectedCrc32TableLittleEndian) {
    EXPECT_EQ(Entry(0), 0x00000000u);
    EXPECT_EQ(Entry(1), 0x77073096u);
    EXPECT_EQ(Entry(2), 0xEE0E612Cu);
    EXPECT_EQ(Entry(255), 0x2D02EF8Du);
    const uint8_t* t = overwrite::TableBytes();
    EXPECT_EQ(t[4], 0x96);
    EXPECT_EQ(t[7], 0x77);
}

TEST(OverwriteTable, WindowsAreAlignedAndStayInsideTheTable) {
    EXPECT_EQ(overwrite::WindowOffset(0), 0u);
    EXPECT_EQ(overwrite::WindowOffset(1), 4u);
    EXPECT_EQ(overwrite::WindowOffset(127), 508u);
    EXPECT_EQ(overwrite::WindowOffset(128), 0u);
    EXPECT_EQ(overwrite::WindowOffset(0x7FFF), 508u);
    EXPECT_LE(overwrite::WindowOffset(0x7FFF) + overwrite::kBlockBytes, overwrite::kTableBytes);

    uint8_t block[512];
    overwrite::FillWindow(block, sizeof block, 5);
    EXPECT_EQ(0, std::memcmp(block, overwrite::TableBytes() + 20, 512));
    uint8_t head[276];
    overwrite::FillWindow(head, sizeof head, 127);
    EXPECT_EQ(0, std::memcmp(head, overwrite::TableBytes() + 508, 276));
}

TEST(OverwritePass, SplitsIntoHeadAndWholeBlocks) {
    EXPECT_EQ(overwrite::PlanPass(0).headBytes, 0u);
    EXPECT_EQ(overwrite::PlanPass(0).blocks, 0u);
    EXPECT_EQ(overwrite::PlanPass(1300).headBytes, 276u);
    EXPECT_EQ(overwrite::PlanPass(1300).blocks, 2u);
    EXPECT_EQ(overwrite::PlanPass(512).headBytes, 0u);
    EXPECT_EQ(overwrite::PlanPass(512).blocks, 1u);
    // Files of 4 GiB and more are planned over their whole size.
    const uint64_t big = (5ull << 30) + 7;
    EXPECT_EQ(overwrite::PlanPass(big).headBytes, 7u);
    EXPECT_EQ(overwrite::PlanPass(big).blocks, (5ull << 30) / 512);
}

TEST(KillSettings, PassesAreClampedToOneThroughNine) {
    kill_settings::SetPasses(0);
    EXPECT_EQ(kill_settings::Passes(), 1);
    kill_settings::SetPasses(-3);
    EXPECT_EQ(kill_settings::Passes(), 1);
    kill_settings::SetPasses(12);
    EXPECT_EQ(kill_settings::Passes(), 9);
    kill_settings::SetPasses(5);
    EXPECT_EQ(kill_settings::Passes(), 5);
    kill_settings::SetPasses(1);
}
