// Any byte string as an update list ("update.prm" or "updateplg.prm") and as a fetched plug-in:
// the decisions the client takes from it never offer a name that is not a plain plug-in file name,
// and a plug-in accepted for saving always reads with a stamp.
#include "schedule/UpdateLists.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    if (update::IsAcceptablePlugin(bytes) && !update::PluginStamp(bytes)) std::abort();
    auto list = update::ReadList(bytes);
    if (!list) return 0;
    const update::Needs needs = update::DecideNeeds(&*list, *list);
    if (list->NodeCount() > 0 && list->Node(0).Find("Banner") && list->Node(0).Find("Banner")->type == 0 && needs.banner)
        std::abort();  // a list is never older than itself
    (void)update::BannerHash(*list);
    auto offers = update::OfferedPlugins(*list);
    if (!offers) return 0;
    for (const update::PluginOffer& offer : *offers) {
        if (!update::IsSafePluginFileName(offer.name)) std::abort();
        if (offer.name.find_first_of("\\/:") != std::string::npos) std::abort();
        (void)update::PluginHash(*list, offer);
    }
    return 0;
}
