#pragma once
// The uninstall log (uninst.dat): what an installation created, so that the uninstaller removes
// exactly that. Lists "f" (files) and "d" (folders) hold wide-string properties "0", "1", ... in the
// order entries were added; "r" holds one child node per registry entry: a key the installation
// created ("root", "key") or a value it wrote into a key that existed before (also "value").
// "k", when present, is the record of the product's own names (the settings' "uninst" files) that
// were already there when the installation came: those are the user's, and stay at uninstallation.
#include "qv/TreeNode.h"

#include <string>
#include <vector>

namespace setup {

struct RegLogEntry {
    uint32_t root = 0;
    std::u16string key;
    bool isValue = false;
    std::u16string value;  // the value name when isValue
};

class UninstallLog {
public:
    static constexpr const char* kRootName = "Quorvane Setup Uninstall Log";

    UninstallLog();
    UninstallLog(const UninstallLog&) = delete;
    UninstallLog& operator=(const UninstallLog&) = delete;

    // A path already in the list (exact, case-sensitive comparison) is not added again; returns
    // whether it was added.
    bool AddFile(const std::u16string& path) { return AddPath("f", path); }
    bool AddFolder(const std::u16string& path) { return AddPath("d", path); }
    bool AddKept(const std::u16string& path) { return AddPath("k", path); }
    // Exact or ignoring ASCII case, as the file system compares.
    bool HasFile(const std::u16string& path) const;
    // Marks the log as carrying the record "k" (possibly empty).
    void StartKeptRecord() { tree_.Child("k", true); }
    bool HasKeptRecord() const { return tree_.Child(std::string("k")) != nullptr; }
    std::vector<std::u16string> Kept() const { return Paths("k"); }
    // Takes every entry of `earlier` that this log does not hold yet (a reinstallation keeps
    // what the earlier installation created listed), its record "k" included.
    void MergeFrom(const UninstallLog& earlier);
    bool AddCreatedKey(uint32_t root, const std::u16string& key);
    bool AddWrittenValue(uint32_t root, const std::u16string& key, const std::u16string& value);
    // True when the key is listed as created by the installation (exact comparison).
    bool HasCreatedKey(uint32_t root, const std::u16string& key) const;

    // The entries in the order they were added; entries that are missing or of another type are
    // passed over.
    std::vector<std::u16string> Files() const { return Paths("f"); }
    std::vector<std::u16string> Folders() const { return Paths("d"); }
    std::vector<RegLogEntry> Registry() const;

    // Replaces the content; fails, leaving an empty log, when the stream holds no well-formed log
    // (another root name included).
    [[nodiscard]] bool Read(QV::Stream& in);
    [[nodiscard]] bool Write(QV::Stream& out) const { return tree_.Write(out); }
    const QV::TreeNode& Tree() const { return tree_; }
    void Reset();

private:
    bool AddPath(const char* list, const std::u16string& path);
    std::vector<std::u16string> Paths(const char* list) const;
    bool AddRegistry(const RegLogEntry& entry);
    void EnsureLists();

    QV::TreeNode tree_;
};

}  // namespace setup
