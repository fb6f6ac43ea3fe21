#pragma once
// Reading the two update lists and deciding what to fetch. Platform-neutral.
//
// "update.prm": its first node holds the Integer properties "Banner" and "Plugin" (the versions),
// the 32-byte String property "BannerHash" (SHA-256 of "banner.qbf") and the list's binding: the
// Integer "Sequence" (grows with every publication), the Stamp "Expires" (its four bytes a
// little-endian count of seconds since 1970-01-01 UTC) and the 32-byte String "PluginListHash"
// (SHA-256 of "updateplg.prm" as served). "updateplg.prm": nodes
// "Std" and "App" with one Integer property per plug-in file (name = file name, value = stamp), and
// a node "Hash" with one 32-byte String property per file, named "Std\<file>" or "App\<file>".
// Clients that know no hashes read only what they know and ignore the rest.
#include "targets/StoredText.h"
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

// What ties a signed "update.prm" to one publication: none when any of the three properties is
// missing or of another type.
struct ListBinding {
    uint32_t sequence = 0;
    uint32_t expires = 0;  // seconds since 1970-01-01 UTC
    Sha256Digest pluginListHash{};
};
constexpr const char* kSequenceName = "Sequence";
constexpr const char* kExpiresName = "Expires";
constexpr const char* kPluginListHashName = "PluginListHash";
[[nodiscard]] std::optional<ListBinding> ReadBinding(const PropertyTree& updateList);
// The four bytes of the Stamp "Expires" for an instant (seconds since 1970 UTC).
[[nodiscard]] std::array<uint8_t, 4> StampBytes(uint32_t number);

// Whether a verified "update.prm" may be taken. A list without a binding is refused: every list
// signed before the binding existed would otherwise be a downgrade the floor cannot see.
enum class ListVerdict { Newer, Same, Unbound, Replayed, Expired };
// `accepted` is the highest sequence taken so far (none before the first); `now` is UTC seconds.
[[nodiscard]] ListVerdict JudgeList(const std::optional<ListBinding>& binding, std::optional<uint32_t> accepted,
                                    int64_t now);

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

// What is known locally of one offered plug-in: its file (absent, there but not readable as a
// plug-in, or read with its stamp), and the highest stamp of it the program has ever held (none
// when it never held one).
struct Installed {
    enum class File { Absent, Unreadable, Present } file = File::Absent;
    uint32_t stamp = 0;
    std::optional<uint32_t> knownStamp;
};
// Fetched when the installed copy is older or broken, or when it is absent and was never held at
// this stamp or a newer one: a file the user deleted comes back only with a newer stamp.
[[nodiscard]] bool ShouldFetch(const PluginOffer& offer, const Installed& installed);

// The signed hash of a plug-in, or of the banner; none when the list has none of 32 bytes.
[[nodiscard]] std::optional<Sha256Digest> PluginHash(const PropertyTree& pluginList, const PluginOffer& offer);
[[nodiscard]] std::optional<Sha256Digest> BannerHash(const PropertyTree& updateList);
// The property names of the hashes, for the publisher.
[[nodiscard]] std::string PluginHashName(PluginFolder folder, const std::string& fileName);
constexpr const char* kBannerHashName = "BannerHash";

// The stamp's four bytes as one little-endian number, as installed and offered stamps compare.
[[nodiscard]] uint32_t StampNumber(const std::array<uint8_t, 4>& stamp);
// The stamp of a plug-in file's bytes; none when they do not read as a plug-in target.
[[nodiscard]] std::optional<uint32_t> PluginStamp(const std::vector<uint8_t>& bytes,
                                                const StoredText& text = AsciiStoredText());
// Whether fetched bytes may be saved as a plug-in: they read as a plug-in target, every entry of
// it would become a working entry (and passes `entryAllowed`, the engine's safety rules in the
// program), and nothing follows the tree.
[[nodiscard]] bool IsAcceptablePlugin(const std::vector<uint8_t>& bytes,
                                      const std::function<bool(const EntryRecord&)>& entryAllowed = {},
                                      const StoredText& text = AsciiStoredText());

}  // namespace update
