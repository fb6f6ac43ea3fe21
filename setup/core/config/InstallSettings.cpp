#include "config/InstallSettings.h"

#include "config/Text.h"

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

std::vector<RegKeySpec> ReadRegistryKeys(const QV::TreeNode* reg) {
    std::vector<RegKeySpec> keys;
    if (!reg) return keys;
    for (const auto& [name, node] : reg->Children()) {
        const QV::TreeProperty* root = node->Property("root");
        if (!root || root->Type() != QV::TypeDword || root->Integer() > kUsers) continue;
        RegKeySpec key;
        key.nodeName = name;
        key.root = root->Integer();
        key.key = node->GetString("key", u"");
        // An empty subkey would put the values straight under a root key.
        if (key.key.empty()) continue;
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

const QV::MemoryStream* InstallSettings::License(const std::u16string& code) const {
    const QV::TreeNode* license = tree_.Child("license");
    return license ? license->GetBlob(U16ToAnsi(code)) : nullptr;
}

}  // namespace setup
