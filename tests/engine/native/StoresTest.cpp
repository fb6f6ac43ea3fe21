#include "engine/SystemStores.h"

#include <gtest/gtest.h>

#include <set>

namespace {

class FakeStore : public ProtectedStoreItems {
public:
    explicit FakeStore(int items) {
        for (int i = 0; i < items; ++i) items_.insert(L"item" + std::to_wstring(i));
    }
    bool reachable = true;
    std::set<std::wstring> undeletable;
    int enumerations = 0;
    bool open = false;

    bool Open() override { open = reachable; return reachable; }
    bool Enumerate(uint32_t most, std::vector<std::wstring>& names) override {
        ++enumerations;
        if (enumerations > 1000) return false;  // a runaway loop fails the test, not the machine
        for (const auto& name : items_) {
            if (names.size() >= most) break;
            names.push_back(name);
        }
        return true;
    }
    bool Delete(const std::wstring& name) override {
        if (undeletable.count(name)) return false;
        return items_.erase(name) == 1;
    }
    void Close() override { open = false; }
    size_t Left() const { return items_.size(); }

private:
    std::set<std::wstring> items_;
};

class FakeLogs : public EventLogs {
public:
    uint32_t records = 0;
    bool opens = true;
    bool clears = true;
    bool RecordCount(const std::string& log, uint32_t& count) override {
        lastLog = log;
        if (!opens) return false;
        count = records;
        return true;
    }
    bool Clear(const std::string&) override {
        if (!clears) return false;
        records = 0;
        return true;
    }
    std::string lastLog;
};

class FakePageFile : public PageFileSetting {
public:
    bool allowed = true;
    int writes = 0;
    bool RequestClearAtShutdown() override { ++writes; return allowed; }
};

}  // namespace

TEST(ProtectedStore, ScanHalvesAndKillCountsEveryItem) {
    auto store = std::make_shared<FakeStore>(7);
    PStoreAutoCompleteEntry entry(store);
    entry.Scan();
    EXPECT_TRUE(entry.Scanned());
    EXPECT_EQ(entry.Counters().items, 3u);
    EXPECT_EQ(store->Left(), 7u);
    entry.Reset();
    entry.Kill();
    EXPECT_TRUE(entry.Killed());
    EXPECT_EQ(entry.Counters().items, 7u);
    EXPECT_EQ(store->Left(), 0u);
    EXPECT_FALSE(store->open);
}

TEST(ProtectedStore, KillWorksInRoundsOf128) {
    auto store = std::make_shared<FakeStore>(300);
    PStoreAutoCompleteEntry entry(store);
    entry.Kill();
    EXPECT_EQ(entry.Counters().items, 300u);
    EXPECT_EQ(store->Left(), 0u);
    EXPECT_EQ(store->enumerations, 3);
}

TEST(ProtectedStore, UndeletableItemsEndTheKill) {
    auto store = std::make_shared<FakeStore>(200);
    for (int i = 0; i < 200; ++i) store->undeletable.insert(L"item" + std::to_wstring(i));
    PStoreAutoCompleteEntry entry(store);
    entry.Kill();
    EXPECT_EQ(entry.Counters().items, 0u);
    EXPECT_EQ(store->enumerations, 1);
    EXPECT_TRUE(entry.Killed());
}

TEST(ProtectedStore, UnreachableStoreOnlyMarksScanned) {
    auto store = std::make_shared<FakeStore>(7);
    store->reachable = false;
    PStoreAutoCompleteEntry entry(store);
    entry.Scan();
    EXPECT_TRUE(entry.Scanned());
    EXPECT_EQ(entry.Counters().items, 0u);
    entry.Kill();
    EXPECT_FALSE(entry.Killed());
    EXPECT_EQ(store->Left(), 7u);
    EXPECT_EQ(entry.Kind(), RemKind::Special);
    EXPECT_EQ(entry.Record(), nullptr);
}

TEST(EventLog, ScanAndKillReportTheRecords) {
    auto logs = std::make_shared<FakeLogs>();
    logs->records = 250;
    EventLogEntry entry(logs, "Application");
    entry.Scan();
    EXPECT_EQ(entry.Counters().items, 250u);
    EXPECT_EQ(logs->lastLog, "Application");
    entry.Reset();
    entry.Kill();
    EXPECT_EQ(entry.Counters().items, 250u);
    EXPECT_TRUE(entry.Scanned());
    EXPECT_TRUE(entry.Killed());
    EXPECT_EQ(logs->records, 0u);
}

TEST(EventLog, RefusedClearingReportsNothing) {
    auto logs = std::make_shared<FakeLogs>();
    logs->records = 250;
    logs->clears = false;
    EventLogEntry entry(logs, "Security");
    entry.Kill();
    EXPECT_EQ(entry.Counters().items, 0u);
    EXPECT_FALSE(entry.Killed());
    EXPECT_EQ(logs->records, 250u);
}

TEST(EventLog, UnopenableLogIsLeftAlone) {
    auto logs = std::make_shared<FakeLogs>();
    logs->opens = false;
    EventLogEntry entry(logs, "System");
    entry.Scan();
    EXPECT_TRUE(entry.Scanned());
    EXPECT_EQ(entry.Counters().items, 0u);
    entry.Kill();
    EXPECT_FALSE(entry.Killed());
}

TEST(PageFile, OneFileNoBytes) {
    auto setting = std::make_shared<FakePageFile>();
    PageFileEntry entry(setting);
    entry.Scan();
    EXPECT_EQ(entry.Counters().files, 1u);
    EXPECT_EQ(entry.Counters().bytes, 0u);
    EXPECT_EQ(setting->writes, 0);
    entry.Reset();
    entry.Kill();
    EXPECT_EQ(entry.Counters().files, 1u);
    EXPECT_EQ(entry.Counters().bytes, 0u);
    EXPECT_EQ(setting->writes, 1);
    EXPECT_TRUE(entry.Killed());
}

TEST(PageFile, RefusedWriteReportsNoFile) {
    auto setting = std::make_shared<FakePageFile>();
    setting->allowed = false;
    PageFileEntry entry(setting);
    entry.Kill();
    EXPECT_EQ(entry.Counters().files, 0u);
}
