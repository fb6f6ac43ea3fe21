#pragma once
// The languages of the language file and the text services built on them: lookup of an item's
// text in the current language, macro-expanded, and the macros that follow the language choice.
#include "config/MacroTable.h"
#include "qv/TreeNode.h"

#include <string>
#include <vector>

namespace setup {

struct Language {
    std::u16string name;  // display name, such as "English"
    std::u16string code;  // such as "en"
    const QV::TreeNode* items = nullptr;
};

class LanguageSet {
public:
    static constexpr const char* kRootName = "lang_doc_1.0";

    LanguageSet() = default;
    LanguageSet(const LanguageSet&) = delete;
    LanguageSet& operator=(const LanguageSet&) = delete;

    // Keeps a copy of the file's tree; languages "lang_0", "lang_1", ... up to the first gap or
    // the first one without "language" and "ext". A root of another name loads nothing.
    // Returns the number of languages loaded.
    size_t Load(const QV::TreeNode& root);

    const std::vector<Language>& Languages() const { return languages_; }
    int Current() const { return current_; }
    std::u16string CurrentCode() const;

    // The zone texts per language code ("zones" of the settings), used by Select.
    void SetZones(std::map<std::u16string, std::u16string> zones) { zones_ = std::move(zones); }
    // Makes the first language with exactly this code current and sets "#lang#" and "#zone#";
    // -1, with nothing changed, when no language has it.
    int Select(const std::u16string& code);
    // Adds every item of the current language named "#...#" as a macro of its unexpanded text.
    void AddLanguageMacros();

    std::u16string Text(const std::string& key) const { return ItemText(key, "text"); }
    std::u16string Description(const std::string& key) const { return ItemText(key, "desc"); }
    std::u16string ItemText(const std::string& key, const std::string& property) const;
    std::u16string NumberText(int number) const { return Text(std::to_string(number)); }
    // Without expansion; empty when the language, item or property is missing.
    std::u16string RawItemText(const std::string& key, const std::string& property) const;

    MacroTable& Macros() { return macros_; }
    const MacroTable& Macros() const { return macros_; }
    std::u16string Expand(const std::u16string& text) const { return macros_.Expand(text); }
    void SetMacro(const std::u16string& name, const std::u16string& value) { macros_.Set(name, value); }

private:
    QV::TreeNode tree_;
    std::vector<Language> languages_;
    int current_ = -1;
    std::map<std::u16string, std::u16string> zones_;
    MacroTable macros_;
};

}  // namespace setup
