// Fuzzes the language file as the setup program uses it: any tree that reads must load, select
// each of its languages, take that language's macros and expand every item's texts without a
// crash, a hang or a text that grows without bound.
#include "config/LanguageSet.h"
#include "qv/MemoryStream.h"
#include "qv/TreeNode.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QV::MemoryStream in(data, size);
    QV::TreeNode root;
    if (!root.Read(in)) return 0;
    setup::LanguageSet languages;
    const size_t loaded = languages.Load(root);
    if (loaded != languages.Languages().size()) std::abort();
    for (const setup::Language& language : languages.Languages()) {
        if (languages.Select(language.code) < 0) std::abort();
        languages.AddLanguageMacros();
        for (const auto& item : language.items->Children()) {
            for (const char* property : {"text", "desc"}) {
                // An expanded text is the item's own or stops before the bound.
                const size_t most = setup::MacroTable::kMaxExpandedLength + size;
                if (languages.ItemText(item.first, property).size() > most) std::abort();
            }
        }
    }
    return 0;
}
