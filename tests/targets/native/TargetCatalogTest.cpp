#include "engine/Checkpoint.h"
#include "targets/TargetCatalog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

namespace {

// An entry that finds and removes a fixed amount, and can ask for a stop while it works.
class FakeEntry : public RemEntry {
public:
    FakeEntry(uint32_t files, uint32_t items, uint64_t bytes, bool stopInside = false)
        : RemEntry(RemKind::SingleFile), files_(files), items_(items), bytes_(bytes), stopInside_(stopInside) {}
    void Scan() override { Work(); MarkScanned(); }
    void Kill() override { Work(); MarkKilled(); }
    int runs = 0;

private:
    void Work() {
        ++runs;
        AddFiles(files_, bytes_);
        AddItems(items_);
        if (stopInside_) {
            RequestStop();
            Checkpoint();
        }
    }
    uint32_t files_, items_;
    uint64_t bytes_;
    bool stopInside_;
};

std::unique_ptr<Target> MakeTarget(const std::string& name, bool selected, uint32_t files = 0,
                                   uint32_t items = 0, uint64_t bytes = 0) {
    auto t = std::make_unique<Target>(name, "desc");
    t->SetSelected(selected);
    t->AddEntry(std::make_unique<FakeEntry>(files, items, bytes));
    return t;
}

class TargetCatalogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearStop();
        SetStoppedHandler([this] { ++stoppedCalls; });
    }
    void TearDown() override {
        SetStoppedHandler(nullptr);
        ClearStop();
    }
    int stoppedCalls = 0;
};

}  // namespace

TEST_F(TargetCatalogTest, NextSelectedReportsIndexAndOrdinal) {
    TargetCatalog c;
    c.AddTarget(MakeTarget("a", true));
    c.AddTarget(MakeTarget("b", false));
    c.AddTarget(MakeTarget("c", true));
    EXPECT_EQ(c.SelectedCount(), 2);

    auto s = c.NextSelected(-1);
    EXPECT_EQ(s.index, 0);
    EXPECT_EQ(s.ordinal, 1);
    EXPECT_EQ(s.target, &c.TargetAt(0));
    s = c.NextSelected(0);
    EXPECT_EQ(s.index, 2);
    EXPECT_EQ(s.ordinal, 2);
    s = c.NextSelected(2);
    EXPECT_EQ(s.index, -1);
    EXPECT_EQ(s.target, nullptr);
    EXPECT_EQ(s.ordinal, 2);
}

TEST_F(TargetCatalogTest, CategoryStartsFollowTheRecordedEnds) {
    TargetCatalog c;
    for (int i = 0; i < 16; ++i) c.AddTarget(MakeTarget("w", true));
    c.EndCategory(Category::Windows);
    for (int i = 0; i < 6; ++i) c.AddTarget(MakeTarget("a", true));
    c.EndCategory(Category::WindowsApplets);
    for (int cat = 2; cat < static_cast<int>(Category::Chrome); ++cat) c.EndCategory(static_cast<Category>(cat));
    for (int i = 0; i < 6; ++i) c.AddTarget(MakeTarget("chrome", false));
    for (int cat = static_cast<int>(Category::Chrome); cat < static_cast<int>(Category::Applications); ++cat)
        c.EndCategory(static_cast<Category>(cat));
    c.AddTarget(MakeTarget("app", true));
    c.MarkCustomStart();
    c.AddTarget(MakeTarget("custom", true));

    EXPECT_EQ(c.CategoryStart(0), 0);
    EXPECT_EQ(c.CategoryCount(0), 16);
    EXPECT_EQ(c.CategoryStart(1), 16);
    EXPECT_EQ(c.CategoryCount(1), 6);
    EXPECT_EQ(c.CategoryCount(2), 0);
    EXPECT_EQ(c.CategoryStart(Category::Chrome), 22);
    EXPECT_EQ(c.CategoryCount(Category::Chrome), 6);
    EXPECT_EQ(c.CategoryCount(Category::Chromium), 0);
    EXPECT_EQ(c.CategoryStart(Category::Applications), 28);
    EXPECT_EQ(c.CategoryCount(Category::Applications), 1);
    EXPECT_EQ(c.CategoryCount(kCategoryCount), 0);
    EXPECT_EQ(c.CustomStart(), 29);
    EXPECT_EQ(c.TargetCount(), 30u);
}

// The target pages iterate the category table: every category once, in catalogue order, the
// browsers (Internet Explorer and the eight others) marked, each with its caption and help topic.
TEST(CategoryTable, EveryCategoryInOrderWithItsCaption) {
    std::set<std::string> captions, topics;
    int browsers = 0;
    for (int i = 0; i < kCategoryCount; ++i) {
        const CategoryInfo& info = Categories()[static_cast<size_t>(i)];
        EXPECT_EQ(static_cast<int>(info.category), i);
        EXPECT_TRUE(captions.insert(info.caption).second) << info.caption;
        EXPECT_TRUE(topics.insert(info.helpTopic).second) << info.helpTopic;
        browsers += info.browser ? 1 : 0;
    }
    EXPECT_EQ(browsers, 1 + kBrowserCount);
    EXPECT_STREQ(InfoOf(Category::Chrome).caption, "Chrome");
    EXPECT_STREQ(InfoOf(Category::Vivaldi).helpTopic, "vivaldi.html");
    for (int b = 0; b < kBrowserCount; ++b) EXPECT_TRUE(InfoOf(CategoryOf(static_cast<Browser>(b))).browser);
    EXPECT_EQ(CategoryOf(Browser::Chromium), Category::Chromium);
    EXPECT_LT(static_cast<int>(Category::Chromium), static_cast<int>(Category::Applications));

    // Every topic is a page of the help file.
    std::ifstream project(std::string(TL_SOURCE_DIR) + "/cleaner/help/Tracelorn.hhp");
    const std::string listed((std::istreambuf_iterator<char>(project)), std::istreambuf_iterator<char>());
    for (const CategoryInfo& info : Categories()) {
        EXPECT_NE(listed.find(std::string("\n") + info.helpTopic + "\n"), std::string::npos) << info.helpTopic;
        EXPECT_TRUE(std::ifstream(std::string(TL_SOURCE_DIR) + "/cleaner/help/" + info.helpTopic).good()) << info.helpTopic;
    }
}

TEST_F(TargetCatalogTest, ReplaceCustomTargetsKeepsTheOthers) {
    TargetCatalog c;
    c.AddTarget(MakeTarget("fixed", true));
    c.MarkCustomStart();
    c.AddTarget(MakeTarget("old", true));
    std::vector<std::unique_ptr<Target>> fresh;
    fresh.push_back(MakeTarget("new1", true));
    fresh.push_back(MakeTarget("new2", false));
    auto removed = c.ReplaceCustomTargets(std::move(fresh));
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0]->Name(), "old");
    ASSERT_EQ(c.TargetCount(), 3u);
    EXPECT_EQ(c.TargetAt(0).Name(), "fixed");
    EXPECT_EQ(c.TargetAt(1).Name(), "new1");
    EXPECT_EQ(c.TargetAt(2).Name(), "new2");
}

TEST_F(TargetCatalogTest, KillAddsExactlyItsCountsToRunAndTotalsScanOnlyToRun) {
    TargetCatalog c;
    c.AddTarget(MakeTarget("t", true, 3, 2, 100));
    c.RunTarget(0, false);
    EXPECT_EQ(c.RunTotals(), (RunCounters{3, 2, 100}));
    EXPECT_EQ(c.Totals(), RunCounters{});
    EXPECT_TRUE(c.TargetAt(0).Scanned());

    c.ResetRunCounters();
    c.SetLastKillTime(0);
    c.RunTarget(0, true);
    EXPECT_EQ(c.RunTotals(), (RunCounters{3, 2, 100}));
    EXPECT_EQ(c.Totals(), (RunCounters{3, 2, 100}));
    EXPECT_TRUE(c.TargetAt(0).Killed());
    EXPECT_GT(c.LastKillTime(), 0);
    // The target's reset keeps one run's counts, not a sum over runs.
    EXPECT_EQ(c.TargetAt(0).Counters(), (RunCounters{3, 2, 100}));
    EXPECT_EQ(c.TargetAt(0).Entry(0).Counters(), (RunCounters{3, 2, 100}));
}

TEST_F(TargetCatalogTest, RunTargetOutsideOrUnselectedChangesNothing) {
    TargetCatalog c;
    c.AddTarget(MakeTarget("off", false, 1, 1, 1));
    c.SetLastKillTime(42);
    c.RunTarget(0, true);
    c.RunTarget(-1, true);
    c.RunTarget(1, true);
    EXPECT_EQ(c.RunTotals(), RunCounters{});
    EXPECT_EQ(c.Totals(), RunCounters{});
    EXPECT_EQ(c.LastKillTime(), 42);
    EXPECT_FALSE(c.TargetAt(0).Killed());
}

TEST_F(TargetCatalogTest, StopInsideATargetKeepsItsCountsOutOfTheTotals) {
    TargetCatalog c;
    auto t = std::make_unique<Target>("stops", "");
    t->AddEntry(std::make_unique<FakeEntry>(1, 0, 10));
    t->AddEntry(std::make_unique<FakeEntry>(5, 0, 50, /*stopInside=*/true));
    auto* later = new FakeEntry(7, 0, 70);
    t->AddEntry(std::unique_ptr<RemEntry>(later));
    c.AddTarget(std::move(t));

    EXPECT_THROW(c.RunTarget(0, true), RunStopped);
    EXPECT_EQ(stoppedCalls, 1);
    EXPECT_FALSE(IsStopRequested());         // the checkpoint cleared it
    EXPECT_EQ(later->runs, 0);               // nothing further of the target ran
    EXPECT_FALSE(c.TargetAt(0).Killed());
    EXPECT_EQ(c.RunTotals(), RunCounters{});
    EXPECT_EQ(c.Totals(), RunCounters{});
}

TEST_F(TargetCatalogTest, AStopRequestedBeforeARunEndsItAtTheFirstCheckpoint) {
    TargetCatalog c;
    c.AddTarget(MakeTarget("t", true, 1, 0, 1));
    RequestStop();
    RequestStop();  // two requests, one stopped run
    EXPECT_THROW(c.RunTarget(0, false), RunStopped);
    EXPECT_EQ(stoppedCalls, 1);
    c.RunTarget(0, false);  // the next run is not stopped
    EXPECT_EQ(c.RunTotals(), (RunCounters{1, 0, 1}));
}

TEST_F(TargetCatalogTest, CounterTextsUseTheSizeFormat) {
    TargetCatalog c;
    c.AddTarget(MakeTarget("t", true, 3, 2, 1536));
    c.Totals() = RunCounters{2147483648u, 7, 1048576};
    c.RunTarget(0, false);
    const auto texts = c.Texts();
    EXPECT_EQ(texts.runFiles, "3");
    EXPECT_EQ(texts.runItems, "2");
    EXPECT_EQ(texts.runBytes, "1,50 KB");
    EXPECT_EQ(texts.totalFiles, "2147483648");
    EXPECT_EQ(texts.totalItems, "7");
    EXPECT_EQ(texts.totalBytes, "1,00 MB");
}

TEST_F(TargetCatalogTest, NewTargetDefaults) {
    Target t("n", "d");
    EXPECT_TRUE(t.Selected());
    EXPECT_EQ(t.Stamp()[0], 1);
    EXPECT_EQ(t.Stamp()[1], 1);
    EXPECT_EQ(t.Stamp()[2], 0);
    EXPECT_EQ(t.Stamp()[3], 0);
    EXPECT_EQ(t.StampNumber(), 0x0101u);
    EXPECT_EQ(t.EntryCount(), 0u);
}

TEST_F(TargetCatalogTest, TheCatalogIsPublishedWhileItLives) {
    EXPECT_EQ(TargetCatalog::Current(), nullptr);
    {
        TargetCatalog c;
        EXPECT_EQ(TargetCatalog::Current(), &c);
    }
    EXPECT_EQ(TargetCatalog::Current(), nullptr);
}
