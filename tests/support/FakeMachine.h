#pragma once
// Stand-ins for the parts of the machine that a test prefix cannot give a known state: the drive
// list, the recycle bin shell, the event logs, the page-file setting and the protected store.
#include "engine/RecycleFolderEntry.h"
#include "engine/RecycleRules.h"
#include "engine/SystemStores.h"

#include <map>
#include <set>
#include <string>
#include <vector>

class FakeDrives : public DriveList {
public:
    std::vector<std::string> roots;
    std::map<std::string, DriveType> types;
    void Add(const std::string& root, DriveType type) {
        roots.push_back(root);
        types[root] = type;
    }
    std::vector<std::string> Roots() override { return roots; }
    DriveType TypeOf(const std::string& root) override {
        const auto it = types.find(root);
        return it == types.end() ? DriveType::NoRoot : it->second;
    }
};

class FakeRecycleBinShell : public RecycleBinShell {
public:
    bool hasItems = false;
    std::vector<std::string> emptied;
    bool HasItems(const std::string&) override { return hasItems; }
    void Empty(const std::string& root) override { emptied.push_back(root); }
};

class FakeEventLogs : public EventLogs {
public:
    std::map<std::string, uint32_t> records;  // a log not in the map cannot be opened
    bool RecordCount(const std::string& log, uint32_t& count) override {
        const auto it = records.find(log);
        if (it == records.end()) return false;
        count = it->second;
        return true;
    }
    bool Clear(const std::string& log) override {
        const auto it = records.find(log);
        if (it == records.end()) return false;
        it->second = 0;
        return true;
    }
};

class FakePageFileSetting : public PageFileSetting {
public:
    int writes = 0;
    bool RequestClearAtShutdown() override { ++writes; return true; }
};

class FakeProtectedStore : public ProtectedStoreItems {
public:
    explicit FakeProtectedStore(int items = 0) {
        for (int i = 0; i < items; ++i) items_.insert(L"item" + std::to_wstring(i));
    }
    bool Open() override { return true; }
    bool Enumerate(uint32_t most, std::vector<std::wstring>& names) override {
        for (const auto& name : items_) {
            if (names.size() >= most) break;
            names.push_back(name);
        }
        return true;
    }
    bool Delete(const std::wstring& name) override { return items_.erase(name) == 1; }
    void Close() override {}
    size_t Left() const { return items_.size(); }

private:
    std::set<std::wstring> items_;
};
