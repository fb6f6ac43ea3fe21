#include "engine/WalkRootGuard.h"

#include <gtest/gtest.h>

namespace {
WalkRootGuard Guard() {
    return WalkRootGuard({"C:\\Windows", "C:\\Users\\Ann Lee", "C:\\Users\\Ann Lee\\Documents",
                          "C:\\Program Files\\"});
}
}  // namespace

TEST(WalkRootGuard, RefusesVolumeRoots) {
    const WalkRootGuard g = Guard();
    for (const char* root : {"C:\\", "c:", "D:/", "Z:\\\\", "\\\\server\\share", "\\\\server\\share\\",
                             "\\\\?\\C:\\", "", "\\"})
        EXPECT_FALSE(g.MayWalkRecursively(root)) << root;
}

TEST(WalkRootGuard, RefusesProtectedFoldersAndTheirParents) {
    const WalkRootGuard g = Guard();
    EXPECT_FALSE(g.MayWalkRecursively("c:\\windows\\"));
    EXPECT_FALSE(g.MayWalkRecursively("C:\\Users\\ann lee"));
    EXPECT_FALSE(g.MayWalkRecursively("C:\\Users\\"));        // holds a profile
    EXPECT_FALSE(g.MayWalkRecursively("C:\\Users\\Ann Lee\\Documents\\"));
    EXPECT_FALSE(g.MayWalkRecursively("C:/Program Files"));
}

TEST(WalkRootGuard, AllowsFoldersBelowProtectedOnes) {
    const WalkRootGuard g = Guard();
    EXPECT_TRUE(g.MayWalkRecursively("C:\\Windows\\Temp\\"));
    EXPECT_TRUE(g.MayWalkRecursively("C:\\Users\\Ann Lee\\AppData\\Local\\Temp\\"));
    EXPECT_TRUE(g.MayWalkRecursively("D:\\Scratch\\"));
    // A folder whose name only starts like a protected one is not its parent.
    EXPECT_TRUE(g.MayWalkRecursively("C:\\Win"));
    EXPECT_TRUE(g.MayWalkRecursively("C:\\Users\\Ann"));
}
