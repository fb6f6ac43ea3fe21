#include "schedule/UpdateLists.h"

#include "engine/EntryRecord.h"
#include "engine/EntryTrust.h"
#include "targets/ByteStream.h"
#include "targets/PluginRecord.h"

#include <cctype>
#include <set>

namespace update {

namespace {

std::string UpperAscii(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool IsDeviceName(const std::string& name) {
    // Windows opens a device for these whatever extension follows, so "CON.tlp" is the console.
    std::string stem = UpperAscii(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* d : kDevices)
        if (stem == d) return true;
    if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0))
        return stem[3] >= '0' && stem[3] <= '9';
    return false;
}

std::optional<Sha256Digest> DigestProperty(const PropertyNode& node, const std::string& name) {
    const Property* p = node.Find(name);
    if (!p || p->type != static_cast<uint8_t>(PropertyType::String) || p->text.size() != 32) return std::nullopt;
    Sha256Digest digest{};
    for (size_t i = 0; i < digest.size(); ++i) digest[i] = static_cast<uint8_t>(p->text[i]);
    return digest;
}

}  // namespace

std::optional<PropertyTree> ReadList(const std::vector<uint8_t>& bytes) {
    MemoryStream in(bytes);
    PropertyTree tree;  // check flag clear: any magic is read
    if (!tree.Read(in)) return std::nullopt;
    return tree;
}

Needs DecideNeeds(const PropertyTree* local, const PropertyTree& remote) {
    Needs needs;
    if (!local || local->NodeCount() == 0 || remote.NodeCount() == 0) return needs;
    const PropertyNode& mine = local->Node(0);
    const PropertyNode& theirs = remote.Node(0);
    auto current = [&](const char* name) {
        const Property* a = mine.Find(name);
        const Property* b = theirs.Find(name);
        const auto integer = static_cast<uint8_t>(PropertyType::Integer);
        return a && b && a->type == integer && b->type == integer && a->number >= b->number;
    };
    needs.banner = !current("Banner");
    needs.plugins = !current("Plugin");
    return needs;
}

std::optional<ListBinding> ReadBinding(const PropertyTree& updateList) {
    if (updateList.NodeCount() == 0) return std::nullopt;
    const PropertyNode& node = updateList.Node(0);
    const Property* sequence = node.Find(kSequenceName);
    const Property* expires = node.Find(kExpiresName);
    const std::optional<Sha256Digest> hash = DigestProperty(node, kPluginListHashName);
    if (!sequence || sequence->type != static_cast<uint8_t>(PropertyType::Integer) || !expires ||
        expires->type != static_cast<uint8_t>(PropertyType::Stamp) || !hash)
        return std::nullopt;
    return ListBinding{sequence->number, StampNumber(expires->stamp), *hash};
}

std::array<uint8_t, 4> StampBytes(uint32_t number) {
    return {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number >> 16),
            static_cast<uint8_t>(number >> 24)};
}

ListVerdict JudgeList(const std::optional<ListBinding>& binding, std::optional<uint32_t> accepted, int64_t now) {
    if (!binding) return ListVerdict::Unbound;
    if (accepted && binding->sequence < *accepted) return ListVerdict::Replayed;
    // An expired list is refused even at the accepted sequence: a server that stopped publishing
    // is a failure the user should see, not "nothing new".
    if (now > static_cast<int64_t>(binding->expires)) return ListVerdict::Expired;
    if (accepted && binding->sequence == *accepted) return ListVerdict::Same;
    return ListVerdict::Newer;
}

bool ShouldFetch(const PluginOffer& offer, const Installed& installed) {
    switch (installed.file) {
        case Installed::File::Present: return installed.stamp < offer.stamp;
        case Installed::File::Unreadable: return true;
        case Installed::File::Absent: return !installed.knownStamp || *installed.knownStamp < offer.stamp;
    }
    return true;
}

bool IsSafePluginFileName(const std::string& name) {
    constexpr size_t kMaxName = 259;
    if (name.size() <= 4 || name.size() > kMaxName) return false;
    if (UpperAscii(name.substr(name.size() - 4)) != ".TLP") return false;
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F) return false;
        if (c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
            c == '>' || c == '|')
            return false;
    }
    // A stem of dots or blanks only: Windows trims trailing dots and blanks from names.
    bool onlyDots = true;
    for (size_t i = 0; i + 4 < name.size(); ++i)
        if (name[i] != '.' && name[i] != ' ') onlyDots = false;
    if (onlyDots) return false;
    if (name.front() == ' ') return false;
    return !IsDeviceName(name);
}

const char* FolderName(PluginFolder folder) {
    return folder == PluginFolder::Standard ? "STDPLUGS" : "APPPLUGS";
}

std::optional<std::vector<PluginOffer>> OfferedPlugins(const PropertyTree& pluginList) {
    const PropertyNode* std = pluginList.FindNode("Std");
    const PropertyNode* app = pluginList.FindNode("App");
    if (!std || !app) return std::nullopt;
    std::vector<PluginOffer> offers;
    for (const auto& [node, folder] : {std::pair{std, PluginFolder::Standard}, std::pair{app, PluginFolder::Application}}) {
        std::set<std::string> seen;  // names compare without regard to case, like the file system
        for (const Property& p : node->Properties()) {
            if (!IsSafePluginFileName(p.name)) continue;
            if (!seen.insert(UpperAscii(p.name)).second) continue;
            offers.push_back(PluginOffer{folder, p.name, p.number});
        }
    }
    return offers;
}

std::string PluginHashName(PluginFolder folder, const std::string& fileName) {
    return std::string(folder == PluginFolder::Standard ? "Std\\" : "App\\") + fileName;
}

std::optional<Sha256Digest> PluginHash(const PropertyTree& pluginList, const PluginOffer& offer) {
    const PropertyNode* hashes = pluginList.FindNode("Hash");
    if (!hashes) return std::nullopt;
    return DigestProperty(*hashes, PluginHashName(offer.folder, offer.name));
}

std::optional<Sha256Digest> BannerHash(const PropertyTree& updateList) {
    if (updateList.NodeCount() == 0) return std::nullopt;
    return DigestProperty(updateList.Node(0), kBannerHashName);
}

uint32_t StampNumber(const std::array<uint8_t, 4>& stamp) {
    return static_cast<uint32_t>(stamp[0]) | (static_cast<uint32_t>(stamp[1]) << 8) |
           (static_cast<uint32_t>(stamp[2]) << 16) | (static_cast<uint32_t>(stamp[3]) << 24);
}

std::optional<uint32_t> PluginStamp(const std::vector<uint8_t>& bytes, const StoredText& text) {
    MemoryStream in(bytes);
    std::optional<TargetRecord> record = ReadTargetRecord(in, text);
    if (!record) return std::nullopt;
    return StampNumber(record->stamp);
}

bool IsAcceptablePlugin(const std::vector<uint8_t>& bytes,
                        const std::function<bool(const EntryRecord&)>& entryAllowed, const StoredText& text) {
    MemoryStream in(bytes);
    std::optional<TargetRecord> record = ReadTargetRecord(in, text);
    if (!record || in.Remaining() != 0) return false;
    for (const EntryRecord& entry : record->entries)
        // The library rule first, as for a shipped plug-in; then this machine's places.
        if (!JudgeEntry(entry, EntrySource::UpdatedPlugin, StandardPlaces()).allowed ||
            (entryAllowed && !entryAllowed(entry)))
            return false;
    return true;
}

}  // namespace update
