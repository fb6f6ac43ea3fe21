#pragma once
// Reading the two update lists and deciding what to fetch. Platform-neutral.
//
// "update.prm": its first node holds the Integer properties "Banner" and "Plugin" (the versions)
// and the 32-byte String property "BannerHash" (SHA-256 of "banner.qbf"). "updateplg.prm": nodes
// "Std" and "App" with one Integer property per plug-in file (name = file name, value = stamp), and
// a node "Hash" with one 32-byte String property per file, named "Std\<file>" or "App\<file>".
// Clients that know no hashes read only what they know and ignore the rest.
#include "engine/EntryRecord.h"
#include "targets/PropertyTree.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace update {

using Sha256Digest = std::array<uint8_t, 32>;

// A list from its bytes, with any magic.
[[nodiscard]] std::optional<PropertyTree> ReadList(const std::vector<uint8_t>& bytes);

struct Needs {
    bool banner = true;
    bool plugins = true;
};
// Both are needed unless the local list (when there is one) has a version not below the remote's;
// a list without a first node, or without the property, needs it.
[[nodiscard]] Needs DecideNeeds(const PropertyTree* local, const PropertyTree& remote);

// A name from the server becomes a file in the program's folder only when it is a plain file
// name ending in ".tlp": no separator, drive or stream colon, no ".." (nor any name made of dots),
// no device name (CON, NUL, COM1, ...) whatever its extension, no control or wildcard characters,
// at most 259 bytes.
[[nodiscard]] bool IsSafePluginFileName(const std::string& name);

enum class PluginFolder { Standard, Application };
// "STDPLUGS" or "APPPLUGS".
[[nodiscard]] const char* FolderName(PluginFolder folder);

struct PluginOffer {
    PluginFolder folder = PluginFolder::Standard;
    std::string name;
    uint32_t stamp = 0;
};
// Every offered plug-in of "Std", then of "App", in stored order; unsafe names and repeated names
// are left out. None when a node is missing.
[[nodiscard]] std::optional<std::vector<PluginOffer>> OfferedPlugins(const PropertyTree& pluginList);

// The signed hash of a plug-in, or of the banner; none when the list has none of 32 bytes.
[[nodiscard]] std::optional<Sha256Digest> PluginHash(const PropertyTree& pluginList, const PluginOffer& offer);
[[nodiscard]] std::optional<Sha256Digest> BannerHash(const PropertyTree& updateList);
// The property names of the hashes, for the publisher.
[[nodiscard]] std::string PluginHashName(PluginFolder folder, const std::string& fileName);
constexpr const char* kBannerHashName = "BannerHash";

// The stamp's four bytes as one little-endian number, as installed and offered stamps compare.
[[nodiscard]] uint32_t StampNumber(const std::array<uint8_t, 4>& stamp);
// The stamp of a plug-in file's bytes; none when they do not read as a plug-in target.
[[nodiscard]] std::optional<uint32_t> PluginStamp(const std::vector<uint8_t>& bytes);
// Whether fetched bytes may be saved as a plug-in: they read as a plug-in target, every entry of
// it would become a working entry (and passes `entryAllowed`, the engine's safety rules in the
// program), and nothing follows the tree.
[[nodiscard]] bool IsAcceptablePlugin(const std::vector<uint8_t>& bytes,
                                      const std::function<bool(const EntryRecord&)>& entryAllowed = {});

}  // namespace update
