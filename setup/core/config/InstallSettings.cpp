#include "config/InstallSettings.h"

#include "config/Text.h"
#include "install/PathRules.h"

namespace setup {

namespace {

std::map<std::u16string, std::u16string> WideTable(const QV::TreeNode* node) {
    std::map<std::u16string, std::u16string> table;
    if (!node) return table;
    for (const auto& [name, property] : node->Properties()) {
        if (property->Type() == QV::TypeWideString) table[AnsiToU16(name)] = property->Wide();
    }
    return table;
}

}  // namespace

namespace {

// A key node's "root" and "key"; false for a root outside 0-3 or a subkey that is empty or a
// single component (values straight under a root key, or a whole top-level key removed).
bool ReadKeyNode(const QV::TreeNode& node, uint32_t& root, std::u16string& key) {
    const QV::TreeProperty* rootProperty = node.Property("root");
    if (!rootProperty || rootProperty->Type() != QV::TypeDword || rootProperty->Integer() > kUsers) return false;
    root = rootProperty->Integer();
    key = node.GetString("key", u"");
    return IsUsableSubkey(key);
}

}  // namespace

std::vector<RegKeySpec> ReadRegistryKeys(const QV::TreeNode* reg) {
    std::vector<RegKeySpec> keys;
    if (!reg) return keys;
    for (const auto& [name, node] : reg->Children()) {
        RegKeySpec key;
        key.nodeName = name;
        if (!ReadKeyNode(*node, key.root, key.key)) continue;
        for (const auto& valueNode : node->Children()) {
            for (const auto& [valueName, property] : valueNode.second->Properties()) {
                RegValueSpec value;
                value.name = AnsiToU16(valueName);
                if (property->Type() == QV::TypeDword) {
                    value.isDword = true;
                    value.dword = property->Integer();
                } else if (property->Type() == QV::TypeWideString) {
                    value.text = property->Wide();
                } else {
                    continue;
                }
                key.values.push_back(std::move(value));
            }
        }
        keys.push_back(std::move(key));
    }
    return keys;
}

UninstSpec ReadUninstSpec(const QV::TreeNode* uninst) {
    UninstSpec spec;
    if (!uninst) return spec;
    for (const auto& entry : WideTable(uninst->Child("files"))) {
        if (!entry.second.empty()) spec.files.push_back(entry.second);
    }
    spec.keys = ReadRegistryKeys(uninst->Child("keys"));
    if (const QV::TreeNode* values = uninst->Child("values")) {
        for (const auto& [name, node] : values->Children()) {
            RegValueRef value;
            const QV::TreeProperty* valueName = node->Property("name");
            if (!valueName || valueName->Type() != QV::TypeWideString) continue;
            if (!ReadKeyNode(*node, value.root, value.key)) continue;
            value.name = valueName->Wide();
            spec.values.push_back(std::move(value));
        }
    }
    return spec;
}

void InstallSettings::Load(const QV::TreeNode& root) {
    tree_.CopyFrom(root);
    const QV::TreeNode& t = tree_;
    macros_ = WideTable(t.Child("macros"));
    langs_ = WideTable(t.Child("langs"));
    zones_ = WideTable(t.Child("zones"));
    crypt_.clear();
    for (const auto& entry : WideTable(t.Child("crypt"))) crypt_.push_back(entry.second);
    defaultFolder_ = t.RequiredString("deffolder");
    location_.reset();
    if (const QV::TreeNode* location = t.Child("location")) {
        location_ = LocationSpec{location->GetDword("csid", 0), location->GetString("path", u"")};
    }
    version_ = t.GetString("ver", kDefaultVersion);
    if (version_.empty()) version_ = kDefaultVersion;
    userOnly_ = t.GetBool("useronly", 0) != 0;
    launch_ = t.RequiredString("launch");
    exe_ = t.GetString("exe", u"");
    fixedLocation_ = t.GetBool("fixedloc", 0) != 0;
    fileSize_ = t.GetDword("fsize", 0);
    fileCount_ = t.GetDword("fcount", 0);
    registryKeys_ = ReadRegistryKeys(t.Child("reg"));
    uninst_ = ReadUninstSpec(t.Child("uninst"));
}

void InstallSettings::ApplyTo(LanguageSet& languages) const {
    for (const auto& [name, value] : macros_) languages.SetMacro(name, value);
    languages.SetZones(zones_);
    languages.SetMacro(u"#ver#", version_);
}

const RegKeySpec* InstallSettings::ProductKey() const {
    for (const RegKeySpec& key : registryKeys_) {
        if (key.nodeName == "reg") return &key;
    }
    return nullptr;
}

const RegKeySpec* InstallSettings::UninstallEntryKey() const {
    for (const RegKeySpec& key : registryKeys_) {
        if (key.nodeName == "uninst") return &key;
    }
    return nullptr;
}

const QV::MemoryStream* InstallSettings::License(const std::u16string& code) const {
    const QV::TreeNode* license = tree_.Child("license");
    return license ? license->GetBlob(U16ToAnsi(code)) : nullptr;
}

}  // namespace setup
