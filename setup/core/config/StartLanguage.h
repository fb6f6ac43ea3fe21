#pragma once
// The choice of the language at start-up, apart from where its inputs come from (the registry):
// first the user's Windows language through the "langs" table, then the product key's stored
// "Language", and finally English whenever the file holds it.
#include "config/LanguageSet.h"

#include <map>
#include <optional>
#include <string>

namespace setup {

// Steps 1 and 2: returns the code selected (which may name no loaded language).
std::u16string SelectStartLanguage(LanguageSet& languages, const std::map<std::u16string, std::u16string>& langs,
                                   const std::optional<std::u16string>& windowsLanguage,
                                   const std::optional<std::u16string>& storedLanguage);

// Steps 3 and 4, after all start-up loading: select "en", then add the current language's "#" items
// to the macros.
void FinishStartLanguage(LanguageSet& languages);

}  // namespace setup
