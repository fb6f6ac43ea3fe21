#pragma once
// The settings tree (set.qvdt): what to install, where, under which names, and the registry keys
// to write. Missing required properties take safe defaults: an empty string, version "0.0.0.0";
// registry key nodes without a valid root or without a subkey are passed over.
#include "config/LanguageSet.h"
#include "qv/TreeNode.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace setup {

struct RegValueSpec {
    std::u16string name;
    bool isDword = false;
    uint32_t dword = 0;
    std::u16string text;  // unexpanded
};

enum RegRoot : uint32_t { kClassesRoot = 0, kCurrentUser = 1, kLocalMachine = 2, kUsers = 3 };

struct RegKeySpec {
    std::string nodeName;
    uint32_t root = kCurrentUser;
    std::u16string key;  // unexpanded subkey path
    std::vector<RegValueSpec> values;
};

// The key nodes below a "reg" node (of the settings or the extension tree).
std::vector<RegKeySpec> ReadRegistryKeys(const QV::TreeNode* reg);

// What the installed product itself writes and the uninstaller removes besides the log: files
// relative to the installation folder (the last component may hold wildcards), keys removed with
// everything below them, and single values.
struct RegValueRef {
    uint32_t root = kCurrentUser;
    std::u16string key;   // unexpanded
    std::u16string name;
};

struct UninstSpec {
    std::vector<std::u16string> files;
    std::vector<RegKeySpec> keys;
    std::vector<RegValueRef> values;
};

// The "uninst" node: "files" (wide strings), "keys" (key nodes as under "reg"), "values" (key
// nodes with a wide "name").
UninstSpec ReadUninstSpec(const QV::TreeNode* uninst);

struct LocationSpec {
    uint32_t csid = 0;      // shell folder identifier, 0 = none
    std::u16string path;    // unexpanded
};

class InstallSettings {
public:
    static constexpr const char16_t* kDefaultVersion = u"0.0.0.0";

    InstallSettings() = default;
    InstallSettings(const InstallSettings&) = delete;
    InstallSettings& operator=(const InstallSettings&) = delete;

    // Keeps a copy of the tree and reads its keys.
    void Load(const QV::TreeNode& root);
    // The start-up processing: the settings' macros, the zones, then "#ver#".
    void ApplyTo(LanguageSet& languages) const;

    const std::u16string& Version() const { return version_; }
    const std::u16string& DefaultFolder() const { return defaultFolder_; }
    const std::u16string& Launch() const { return launch_; }
    const std::u16string& Exe() const { return exe_; }
    bool FixedLocation() const { return fixedLocation_; }
    bool UserOnly() const { return userOnly_; }
    uint32_t FileSize() const { return fileSize_; }
    uint32_t FileCount() const { return fileCount_; }
    const std::optional<LocationSpec>& Location() const { return location_; }
    // Windows short language name (such as ENU) -> language code.
    const std::map<std::u16string, std::u16string>& Langs() const { return langs_; }
    const std::map<std::u16string, std::u16string>& Zones() const { return zones_; }
    const std::vector<std::u16string>& Crypt() const { return crypt_; }
    const std::vector<RegKeySpec>& RegistryKeys() const { return registryKeys_; }
    // The key node named "reg", from which the installed version and language are read; none
    // when it is missing or has no valid root.
    const RegKeySpec* ProductKey() const;
    // The key node named "uninst": the Windows uninstall entry, written only by a complete
    // installation.
    const RegKeySpec* UninstallEntryKey() const;
    const UninstSpec& Uninst() const { return uninst_; }
    // The RTF licence text for a language code; none when absent.
    const QV::MemoryStream* License(const std::u16string& code) const;
    const QV::TreeNode& Tree() const { return tree_; }

private:
    QV::TreeNode tree_;
    std::u16string version_ = kDefaultVersion;
    std::u16string defaultFolder_;
    std::u16string launch_;
    std::u16string exe_;
    bool fixedLocation_ = false;
    bool userOnly_ = false;
    uint32_t fileSize_ = 0;
    uint32_t fileCount_ = 0;
    std::optional<LocationSpec> location_;
    std::map<std::u16string, std::u16string> macros_;
    std::map<std::u16string, std::u16string> langs_;
    std::map<std::u16string, std::u16string> zones_;
    std::vector<std::u16string> crypt_;
    std::vector<RegKeySpec> registryKeys_;
    UninstSpec uninst_;
};

}  // namespace setup
