#include "targets/BrowserTargets.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

// The application-data folders are folders of the test's own TempFolder.
class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        folders_.appData = temp_.MakeFolder("Roaming");
        folders_.localAppData = temp_.MakeFolder("Local");
        if (folders_.appData.back() == '\\') folders_.appData.pop_back();
        if (folders_.localAppData.back() == '\\') folders_.localAppData.pop_back();
    }
    size_t WithEntries(const std::vector<std::unique_ptr<Target>>& targets) {
        size_t n = 0;
        for (const auto& t : targets) n += t->EntryCount() > 0 ? 1 : 0;
        return n;
    }
    TempFolder temp_;
    BrowserFolders folders_;
};

}  // namespace

TEST_F(BrowserTest, FirefoxProfileBelowItsRoot) {
    temp_.MakeFileWith("Roaming\\Mozilla\\Firefox\\profiles.ini", "[Profile0]\r\nName=default\r\nPath=Profiles/abc.default\r\n");
    temp_.MakeFolder("Roaming\\Mozilla\\Firefox\\Profiles\\abc.default");
    const auto found = DiscoverBrowser(Browser::Firefox, folders_);
    ASSERT_TRUE(found.present);
    EXPECT_EQ(found.profile, folders_.appData + "\\Mozilla\\Firefox\\Profiles\\abc.default\\");
    const auto targets = MakeBrowserTargets(Browser::Firefox, found, folders_);
    ASSERT_EQ(targets.size(), 9u);
    EXPECT_EQ(WithEntries(targets), 9u);
    EXPECT_EQ(targets[0]->Name(), "Firefox Cache");
    EXPECT_EQ(targets[0]->Entry(0).Record()->path, folders_.localAppData + "\\Mozilla\\Firefox\\Profiles\\abc.default\\Cache\\");
    EXPECT_EQ(targets[1]->Entry(0).Record()->path, found.profile + "cookies.txt");
    for (const auto& t : targets) EXPECT_FALSE(t->Selected());
    EXPECT_FALSE(DiscoverBrowser(Browser::Netscape, folders_).present);
    EXPECT_EQ(WithEntries(MakeBrowserTargets(Browser::Netscape, DiscoverBrowser(Browser::Netscape, folders_), folders_)), 0u);
}

// Every profile section counts, not only [Profile0].
TEST_F(BrowserTest, AProfile1SectionAloneIsAProfile) {
    temp_.MakeFileWith("Roaming\\Mozilla\\Firefox\\profiles.ini", "[Profile1]\r\nPath=Profiles/abc.default\r\n");
    temp_.MakeFolder("Roaming\\Mozilla\\Firefox\\Profiles\\abc.default");
    const auto found = DiscoverBrowser(Browser::Firefox, folders_);
    EXPECT_TRUE(found.present);
    ASSERT_EQ(found.lockFiles.size(), 1u);
    EXPECT_EQ(found.lockFiles[0], found.profile + "parent.lock");
}

TEST_F(BrowserTest, CraftedProfilePathsAreRefused) {
    temp_.MakeFolder("Documents");
    temp_.MakeFileWith("Roaming\\Mozilla\\Firefox\\profiles.ini", "[Profile0]\r\nPath=..\\..\\Documents\r\n");
    EXPECT_FALSE(DiscoverBrowser(Browser::Firefox, folders_).present);
    temp_.MakeFileWith("Roaming\\Mozilla\\Firefox\\profiles.ini", "[Profile0]\r\nPath=" + temp_.Path() + "Documents\r\n");
    EXPECT_FALSE(DiscoverBrowser(Browser::Firefox, folders_).present);
    temp_.MakeFileWith("Roaming\\Mozilla\\Firefox\\profiles.ini", "[Profile0]\r\nPath=missing.default\r\n");
    EXPECT_FALSE(DiscoverBrowser(Browser::Firefox, folders_).present);
}

TEST_F(BrowserTest, OperaAndFlock) {
    temp_.MakeFolder("Roaming\\Opera\\Opera\\Profile");
    const auto opera = DiscoverBrowser(Browser::Opera, folders_);
    ASSERT_TRUE(opera.present);
    const auto operaTargets = MakeBrowserTargets(Browser::Opera, opera, folders_);
    EXPECT_EQ(operaTargets.size(), 6u);
    EXPECT_EQ(WithEntries(operaTargets), 5u);

    temp_.MakeFileWith("Roaming\\Flock\\Browser\\profiles.ini", "[Profile0]\nPath=Profiles/f.default\n");
    temp_.MakeFolder("Roaming\\Flock\\Browser\\Profiles\\f.default");
    const auto flock = DiscoverBrowser(Browser::Flock, folders_);
    ASSERT_TRUE(flock.present);
    BrowserFolders noLocal = folders_;
    noLocal.localAppData.clear();
    const auto flockTargets = MakeBrowserTargets(Browser::Flock, flock, noLocal);
    ASSERT_EQ(flockTargets.size(), 7u);
    EXPECT_EQ(flockTargets[0]->EntryCount(), 0u);
    EXPECT_EQ(WithEntries(flockTargets), 6u);
    EXPECT_EQ(flockTargets[6]->EntryCount(), 3u);
}

TEST_F(BrowserTest, NoBrowserStillGivesAllTargets) {
    const size_t counts[] = {9, 7, 6, 7, 7, 7, 7, 7, 7};
    const Browser browsers[] = {Browser::Firefox, Browser::Netscape, Browser::Opera, Browser::Flock, Browser::Chrome,
                                Browser::Edge, Browser::Brave, Browser::Vivaldi, Browser::Chromium};
    for (int i = 0; i < kBrowserCount; ++i) {
        const auto found = DiscoverBrowser(browsers[i], folders_);
        EXPECT_FALSE(found.present);
        const auto targets = MakeBrowserTargets(browsers[i], found, folders_);
        EXPECT_EQ(targets.size(), counts[i]);
        EXPECT_EQ(WithEntries(targets), 0u);
    }
}
