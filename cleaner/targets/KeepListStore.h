#pragma once
#include <string>
#include <vector>

// The user's cookie keep-list in the registry: the subkey "CookiesToKeep" of the settings key
// (HKEY_CURRENT_USER\software\<settings path>), one REG_SZ value per kept site, the value name
// being the site (lower case, no leading dot) and the data empty. This class is the one reader and
// writer of that subkey; the Options page and every run go through it.
class KeepListStore {
public:
    static constexpr const char* kSubkey = "CookiesToKeep";

    explicit KeepListStore(std::string settingsPath) : settingsPath_(std::move(settingsPath)) {}

    // The kept sites in the stored form, sorted, each once. A value name written by hand in another
    // case or with a leading dot counts as its site; one with nothing of a site in it is passed over.
    // Without a settings path or a subkey the list is empty.
    std::vector<std::string> Sites() const;
    // Stores the site (in its stored form); true when it is there afterwards.
    [[nodiscard]] bool Add(const std::string& site) const;
    // Removes every value that names the site, whatever its case; true when none is left.
    [[nodiscard]] bool Remove(const std::string& site) const;

private:
    std::string settingsPath_;
};
