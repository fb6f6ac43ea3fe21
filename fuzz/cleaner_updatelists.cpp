// Any byte string as one of the update lists a server sends ("update.prm", "updateplg.prm"): it
// reads or is refused; every plug-in it offers has a safe file name (a plain "*.tlp" that stays in
// its plug-in folder), appears once, and has a hash only of 32 bytes; a list compared with itself
// needs nothing it states a version of; a list's binding judged against itself is "the same" (and
// a list without one is always refused); and fetched bytes taken as a plug-in have a stamp.
#include "schedule/UpdateLists.h"

#include <cstdlib>
#include <set>
#include <utility>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    if (update::IsAcceptablePlugin(bytes) && !update::PluginStamp(bytes)) std::abort();
    const auto list = update::ReadList(bytes);
    if (!list) return 0;
    const update::Needs same = update::DecideNeeds(&*list, *list);
    if (list->NodeCount() > 0) {
        const auto integer = static_cast<uint8_t>(PropertyType::Integer);
        const Property* banner = list->Node(0).Find("Banner");
        const Property* plugin = list->Node(0).Find("Plugin");
        if (same.banner != !(banner && banner->type == integer)) std::abort();
        if (same.plugins != !(plugin && plugin->type == integer)) std::abort();
    }
    (void)update::BannerHash(*list);
    const auto binding = update::ReadBinding(*list);
    const uint32_t sequence = binding ? binding->sequence : 0;
    const int64_t expires = binding ? binding->expires : 0;
    const auto verdict = update::JudgeList(binding, sequence, expires);
    if (verdict != (binding ? update::ListVerdict::Same : update::ListVerdict::Unbound)) std::abort();
    const auto offers = update::OfferedPlugins(*list);
    if (!offers) return 0;
    std::set<std::pair<int, std::string>> seen;  // names compare without regard to case
    for (const update::PluginOffer& offer : *offers) {
        if (!update::IsSafePluginFileName(offer.name)) std::abort();
        if (offer.name.find_first_of("\\/:") != std::string::npos) std::abort();
        std::string upper = offer.name;
        for (char& c : upper) c = (c >= 'a' && c <= 'z') ? char(c - 32) : c;
        if (!seen.insert({static_cast<int>(offer.folder), upper}).second) std::abort();
        (void)update::PluginHash(*list, offer);
    }
    return 0;
}
