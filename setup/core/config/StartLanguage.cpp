#include "config/StartLanguage.h"

namespace setup {

std::u16string SelectStartLanguage(LanguageSet& languages, const std::map<std::u16string, std::u16string>& langs,
                                   const std::optional<std::u16string>& windowsLanguage,
                                   const std::optional<std::u16string>& storedLanguage) {
    std::u16string fallback = u"en";
    if (windowsLanguage) {
        auto it = langs.find(*windowsLanguage);
        if (it != langs.end() && languages.Select(it->second) >= 0) fallback = it->second;
    }
    const std::u16string code = storedLanguage ? *storedLanguage : fallback;
    languages.Select(code);
    return code;
}

void FinishStartLanguage(LanguageSet& languages) {
    languages.Select(u"en");
    languages.AddLanguageMacros();
}

}  // namespace setup
