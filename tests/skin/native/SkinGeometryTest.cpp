#include "skin/SkinGeometry.h"

#include <gtest/gtest.h>

using namespace skin_geometry;

TEST(SkinGeometry, DragStartsOnlyInTitleBand) {
    EXPECT_TRUE(StartsDrag(0));
    EXPECT_TRUE(StartsDrag(26));
    EXPECT_FALSE(StartsDrag(27));
    EXPECT_FALSE(StartsDrag(-1));
}

TEST(SkinGeometry, CloseButtonAtTopRight) {
    const Point p = CloseButtonOrigin(480);
    EXPECT_EQ(p.x, 446);
    EXPECT_EQ(p.y, 4);
}

TEST(SkinGeometry, LineHeights) {
    EXPECT_EQ(LineHeight(0, 16), 16);
    EXPECT_EQ(LineHeight(1, 16), 16);
    EXPECT_EQ(LineHeight(2, 16), 40);
    EXPECT_EQ(LineHeight(4, 16), 40);
    EXPECT_EQ(LineHeight(5, 16), 80);
    EXPECT_EQ(LineHeight(3, 13), 13);
}

TEST(SkinGeometry, ProgressFill) {
    EXPECT_EQ(ProgressFill(200, 0, 3, 0), 0);
    EXPECT_EQ(ProgressFill(200, 0, 3, 1), 66);
    EXPECT_EQ(ProgressFill(200, 0, 3, 2), 133);
    EXPECT_EQ(ProgressFill(200, 0, 3, 3), 200);
    EXPECT_EQ(ProgressFill(200, 0, 3, 9), 200);    // past the end stays inside
    EXPECT_EQ(ProgressFill(200, 0, 3, -4), 0);
    EXPECT_EQ(ProgressFill(200, 0, 0, 0), 0);      // empty range: no division by zero
    EXPECT_EQ(ProgressFill(200, 5, 2, 3), 0);
    EXPECT_EQ(ProgressFill(100, 10, 20, 15), 50);  // the range starts at its lower bound
    EXPECT_EQ(ProgressFill(2000000000, 0, 2000000000, 1999999999), 1999999999);
}

TEST(SkinGeometry, BannerLoop) {
    const int expected[] = {0, 1, 2, 0, 1, 2, 0};
    for (unsigned c = 0; c < 7; ++c) EXPECT_EQ(BannerFrame(c, 3, BannerMode::Loop), expected[c]) << c;
}

TEST(SkinGeometry, BannerBackAndForth) {
    // (counter div n) even: backwards; odd: forwards.
    const int expected[] = {2, 1, 0, 0, 1, 2, 2, 1, 0};
    for (unsigned c = 0; c < 9; ++c) EXPECT_EQ(BannerFrame(c, 3, BannerMode::BackAndForth), expected[c]) << c;
}

TEST(SkinGeometry, BannerWithoutFrames) {
    EXPECT_EQ(BannerFrame(7, 0, BannerMode::Loop), 0);
    EXPECT_EQ(BannerFrame(7, 1, BannerMode::BackAndForth), 0);
    EXPECT_EQ(BannerFrame(7, -3, BannerMode::BackAndForth), 0);
}

TEST(SkinGeometry, LetterNavigation) {
    const std::vector<LetterLine> lines = {
        {2, "Start Scan Action:"}, {4, "Recycle Bin"}, {4, "run history"}, {4, "Temp"},
        {1, "Remark"}, {4, "Recent Documents"}, {5, "Summary"}};
    EXPECT_EQ(NextLetterLine(lines, 0, 'r'), 1);
    EXPECT_EQ(NextLetterLine(lines, 1, 'R'), 2);     // either case
    EXPECT_EQ(NextLetterLine(lines, 2, 'r'), 5);     // skips the kind 1 line
    EXPECT_EQ(NextLetterLine(lines, 5, 'r'), 1);     // none below: the first from the top
    EXPECT_EQ(NextLetterLine(lines, 6, 't'), 3);
    EXPECT_EQ(NextLetterLine(lines, 3, 't'), 3);     // only itself
    EXPECT_EQ(NextLetterLine(lines, -1, 'r'), 1);    // no selection
    EXPECT_EQ(NextLetterLine(lines, 0, 's'), -1);    // heading and summary are no targets
    EXPECT_EQ(NextLetterLine(lines, 0, '5'), -1);
    EXPECT_EQ(NextLetterLine({}, 0, 'a'), -1);
    EXPECT_EQ(NextLetterLine({{4, ""}}, 0, 'a'), -1);
}
