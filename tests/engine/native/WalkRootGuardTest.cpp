#include "engine/WalkLedger.h"
#include "engine/WalkRootGuard.h"
#include "engine/WildcardMatch.h"

#include <gtest/gtest.h>

namespace {
WalkRootGuard Guard() {
    return WalkRootGuard({"C:\\Windows", "C:\\Windows\\System32", "C:\\Users\\Ann Lee", "C:\\Users\\Ann Lee\\Documents",
                          "C:\\Users\\Ann Lee\\AppData\\Local", "C:\\Program Files\\", "\\\\?\\C:\\ProgramData"},
                         {"C:\\Users"});
}
}  // namespace

TEST(WalkRootGuard, RefusesVolumeRootsAndUnresolvedPaths) {
    const WalkRootGuard g = Guard();
    for (const char* root : {"C:\\", "c:", "D:/", "Z:\\\\", "\\\\server\\share", "\\\\server\\share\\",
                             "\\\\?\\C:\\", "\\\\?\\UNC\\server\\share\\", "", "\\", "drivers", "drivers\\etc\\"})
        EXPECT_FALSE(g.MayWalk(root)) << root;
    // Whatever "." or ".." would resolve to, the guard never guesses.
    for (const char* dots : {"C:\\Temp\\..\\Windows", "C:\\Temp\\.\\x", "C:\\Temp\\..", "D:\\a\\..\\b\\"})
        EXPECT_FALSE(g.MayWalk(dots)) << dots;
}

TEST(WalkRootGuard, RefusesProtectedFoldersTheirParentsAndEveryProfileRoot) {
    const WalkRootGuard g = Guard();
    for (const char* folder :
         {"c:\\windows\\", "C:\\WINDOWS\\system32", "C:\\Users\\ann lee", "C:\\Users\\", "C:\\Users\\Ann Lee\\Documents\\",
          "C:/Program Files", "C:\\ProgramData\\", "\\\\?\\c:\\users\\ann lee\\appdata\\local",
          "C:\\Users\\Ann Lee\\AppData",  // holds Local
          "C:\\Users\\Public", "C:\\Users\\Default\\"})  // profile roots the list does not name
        EXPECT_FALSE(g.MayWalk(folder)) << folder;
}

TEST(WalkRootGuard, AllowsFoldersBelowProtectedOnes) {
    const WalkRootGuard g = Guard();
    for (const char* folder : {"C:\\Windows\\Temp\\", "C:\\Windows\\System32\\LogFiles\\x", "C:\\Users\\Ann Lee\\AppData\\Local\\Temp\\",
                               "\\\\?\\C:\\Users\\Ann Lee\\AppData\\Local\\Temp", "D:\\Scratch\\", "\\\\server\\share\\cache",
                               "C:\\Users\\Public\\Cache", "C:\\ProgramData\\Vendor\\Logs"})
        EXPECT_TRUE(g.MayWalk(folder)) << folder;
    // A folder whose name only starts like a protected one is neither it nor its parent.
    EXPECT_TRUE(g.MayWalk("C:\\Win"));
    EXPECT_TRUE(g.MayWalk("C:\\Windows2\\x"));
    EXPECT_TRUE(g.MayWalk("C:\\Users2\\Ann"));
}

TEST(WalkRootGuard, AbsolutePathsNameTheirDriveOrShare) {
    for (const char* path : {"C:\\", "c:/x", "Z:\\tmp\\a", "\\\\server\\share", "//server/share/x"})
        EXPECT_TRUE(IsAbsolutePath(path)) << path;
    for (const char* path : {"", "drivers", "drivers\\etc", "\\Windows", "C:", "C:Windows", "1:\\x", "\\\\", "\\\\\\x", ".\\x", "..\\x"})
        EXPECT_FALSE(IsAbsolutePath(path)) << path;
}

// The file search also matches masks against 8.3 names; the walks check the long name again.
TEST(WildcardMatch, MatchesLongNamesOnly) {
    EXPECT_TRUE(MatchesWildcard("FILE0000.CHK", "*.CHK"));
    EXPECT_TRUE(MatchesWildcard("file0001.chk", "*.CHK"));
    EXPECT_FALSE(MatchesWildcard("notes.chkdsk", "*.CHK"));   // NOTES~1.CHK
    EXPECT_FALSE(MatchesWildcard("report.tmpl", "*.tmp"));    // REPORT~1.TMP
    EXPECT_FALSE(MatchesWildcard("a.chk.txt", "*.chk"));
    EXPECT_TRUE(MatchesWildcard("a.b.chk", "*.chk"));
    EXPECT_TRUE(MatchesWildcard("bookmarks.html", "bookmarks.*"));
    EXPECT_TRUE(MatchesWildcard("bookmarks", "bookmarks.*"));
    EXPECT_FALSE(MatchesWildcard("bookmarksx", "bookmarks.*"));
    EXPECT_TRUE(MatchesWildcard("a1.log", "a?.log"));
    EXPECT_FALSE(MatchesWildcard("a.log", "a?.log"));
    EXPECT_TRUE(MatchesWildcard("thumbcache_32.db", "thumbcache_*.db"));
    EXPECT_FALSE(MatchesWildcard("thumbcache_32.db-wal", "thumbcache_*.db"));
    EXPECT_TRUE(MatchesWildcard("x", "*"));
    EXPECT_TRUE(MatchesWildcard("README", "*.*"));
    EXPECT_TRUE(MatchesWildcard(std::string(300, 'a') + "b", std::string(40, '*') + "a*b"));
    EXPECT_FALSE(MatchesWildcard(std::string(300, 'a'), std::string(40, '*') + "a*b"));
}

TEST(WildcardMatch, KnowsMasksThatSelectEverything) {
    for (const char* mask : {"", "*", "*.*", "**", "*.*.*"}) EXPECT_TRUE(WildcardMatchesEverything(mask)) << mask;
    for (const char* mask : {"*.CHK", "*.tmp", "a*", "?"}) EXPECT_FALSE(WildcardMatchesEverything(mask)) << mask;
}

TEST(WalkLedger, OneTargetWalksOneResolvedFolderOncePerMask) {
    EXPECT_TRUE(ClaimWalk("C:\\Temp", "*.*", true));  // no target open: never skipped
    EXPECT_TRUE(ClaimWalk("C:\\Temp", "*.*", true));
    {
        WalkLedgerScope target;
        EXPECT_TRUE(ClaimWalk("C:\\Users\\Ann\\AppData\\Local\\Temp\\", "*.*", true));
        EXPECT_FALSE(ClaimWalk("\\\\?\\c:\\users\\ann\\appdata\\local\\temp", "", true));  // same folder, all files
        EXPECT_TRUE(ClaimWalk("C:\\Users\\Ann\\AppData\\Local\\Temp", "*.tmp", true));
        EXPECT_TRUE(ClaimWalk("C:\\Users\\Ann\\AppData\\Local\\Temp", "*.*", false));
        EXPECT_FALSE(ClaimWalk("C:\\Users\\Ann\\AppData\\Local\\Temp", "*.TMP", true));
    }
    WalkLedgerScope next;  // the next target starts afresh
    EXPECT_TRUE(ClaimWalk("C:\\Users\\Ann\\AppData\\Local\\Temp", "*.*", true));
}
