#include "install/UninstallLog.h"

#include "config/Text.h"
#include "install/PathRules.h"

namespace setup {

namespace {

// The next free decimal name: the count, unless a damaged log already uses it.
std::string NextName(const QV::TreeNode& list, size_t count, bool children) {
    for (size_t n = count;; ++n) {
        const std::string name = U16ToAnsi(DecimalText((long long)n));
        if (children ? list.Child(name) == nullptr : list.Property(name) == nullptr) return name;
    }
}

bool SameEntry(const RegLogEntry& a, const RegLogEntry& b) {
    return a.root == b.root && a.key == b.key && a.isValue == b.isValue && (!a.isValue || a.value == b.value);
}

}  // namespace

UninstallLog::UninstallLog() { Reset(); }

void UninstallLog::Reset() {
    tree_.Clear();
    tree_.SetName(kRootName);
    EnsureLists();
}

void UninstallLog::EnsureLists() {
    tree_.Child("f", true);
    tree_.Child("d", true);
    tree_.Child("r", true);
}

bool UninstallLog::AddPath(const char* list, const std::u16string& path) {
    QV::TreeNode* node = tree_.Child(list, true);
    for (const auto& [name, property] : node->Properties()) {
        if (property->Type() == QV::TypeWideString && property->Wide() == path) return false;
    }
    auto property = std::make_unique<QV::TreeProperty>(NextName(*node, node->Properties().size(), false),
                                                       QV::TypeWideString);
    property->SetWide(path);
    return node->AddProperty(std::move(property));
}

std::vector<std::u16string> UninstallLog::Paths(const char* list) const {
    std::vector<std::u16string> paths;
    const QV::TreeNode* node = tree_.Child(std::string(list));
    if (!node) return paths;
    const size_t count = node->Properties().size();
    for (size_t i = 0; i < count; ++i) {
        const QV::TreeProperty* p = node->Property(U16ToAnsi(DecimalText((long long)i)));
        if (p && p->Type() == QV::TypeWideString && !p->Wide().empty()) paths.push_back(p->Wide());
    }
    return paths;
}

bool UninstallLog::AddRegistry(const RegLogEntry& entry) {
    for (const RegLogEntry& known : Registry()) {
        if (SameEntry(known, entry)) return false;
    }
    QV::TreeNode* list = tree_.Child("r", true);
    auto node = std::make_unique<QV::TreeNode>(NextName(*list, list->Children().size(), true));
    auto root = std::make_unique<QV::TreeProperty>("root", QV::TypeDword);
    root->SetInteger(QV::TypeDword, entry.root);
    node->SetProperty(std::move(root));
    node->SetString("key", entry.key);
    if (entry.isValue) node->SetString("value", entry.value);
    return list->AddChild(std::move(node));
}

bool UninstallLog::AddCreatedKey(uint32_t root, const std::u16string& key) {
    RegLogEntry entry;
    entry.root = root;
    entry.key = key;
    return AddRegistry(entry);
}

bool UninstallLog::AddWrittenValue(uint32_t root, const std::u16string& key, const std::u16string& value) {
    RegLogEntry entry;
    entry.root = root;
    entry.key = key;
    entry.isValue = true;
    entry.value = value;
    return AddRegistry(entry);
}

bool UninstallLog::HasFile(const std::u16string& path) const {
    for (const std::u16string& file : Files()) {
        if (file == path || SamePath(file, path)) return true;
    }
    return false;
}

void UninstallLog::MergeFrom(const UninstallLog& earlier) {
    for (const std::u16string& file : earlier.Files()) AddFile(file);
    for (const std::u16string& folder : earlier.Folders()) AddFolder(folder);
    for (const RegLogEntry& entry : earlier.Registry()) AddRegistry(entry);
    if (!earlier.HasKeptRecord()) return;
    StartKeptRecord();
    for (const std::u16string& kept : earlier.Kept()) AddKept(kept);
}

bool UninstallLog::HasCreatedKey(uint32_t root, const std::u16string& key) const {
    for (const RegLogEntry& known : Registry()) {
        if (!known.isValue && known.root == root && known.key == key) return true;
    }
    return false;
}

std::vector<RegLogEntry> UninstallLog::Registry() const {
    std::vector<RegLogEntry> entries;
    const QV::TreeNode* list = tree_.Child(std::string("r"));
    if (!list) return entries;
    const size_t count = list->Children().size();
    for (size_t i = 0; i < count; ++i) {
        const QV::TreeNode* node = list->Child(U16ToAnsi(DecimalText((long long)i)));
        if (!node) continue;
        const QV::TreeProperty* root = node->Property("root");
        const QV::TreeProperty* key = node->Property("key");
        if (!root || root->Type() != QV::TypeDword || !key || key->Type() != QV::TypeWideString) continue;
        RegLogEntry entry;
        entry.root = root->Integer();
        entry.key = key->Wide();
        if (const QV::TreeProperty* value = node->Property("value")) {
            if (value->Type() != QV::TypeWideString) continue;
            entry.isValue = true;
            entry.value = value->Wide();
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool UninstallLog::Read(QV::Stream& in) {
    QV::TreeNode read;
    if (!read.Read(in) || read.Name() != kRootName) {
        Reset();
        return false;
    }
    tree_.CopyFrom(read);
    EnsureLists();
    return true;
}

}  // namespace setup
