#include "config/LanguageSet.h"

#include "config/Text.h"

namespace setup {

size_t LanguageSet::Load(const QV::TreeNode& root) {
    languages_.clear();
    current_ = -1;
    tree_.CopyFrom(root);
    if (tree_.Name() != kRootName) return 0;
    for (int i = 0;; ++i) {
        const QV::TreeNode* node = tree_.Child("lang_" + std::to_string(i));
        if (!node) break;
        const QV::TreeProperty* name = node->Property("language");
        const QV::TreeProperty* code = node->Property("ext");
        if (!name || name->Type() != QV::TypeWideString || !code || code->Type() != QV::TypeWideString) break;
        languages_.push_back(Language{name->Wide(), code->Wide(), node});
    }
    return languages_.size();
}

std::u16string LanguageSet::CurrentCode() const {
    return current_ < 0 ? std::u16string() : languages_[size_t(current_)].code;
}

int LanguageSet::Select(const std::u16string& code) {
    for (size_t i = 0; i < languages_.size(); ++i) {
        if (languages_[i].code != code) continue;
        current_ = int(i);
        macros_.Set(u"#lang#", code);
        auto zone = zones_.find(code);
        macros_.Set(u"#zone#", zone == zones_.end() ? u"com" : zone->second);
        return current_;
    }
    return -1;
}

void LanguageSet::AddLanguageMacros() {
    if (current_ < 0) return;
    for (const auto& [name, item] : languages_[size_t(current_)].items->Children()) {
        if (name.empty() || name[0] != '#') continue;
        macros_.Set(AnsiToU16(name), item->GetString("text", u""));
    }
}

std::u16string LanguageSet::RawItemText(const std::string& key, const std::string& property) const {
    if (current_ < 0) return std::u16string();
    const QV::TreeNode* item = languages_[size_t(current_)].items->Child(key);
    return item ? item->GetString(property, u"") : std::u16string();
}

std::u16string LanguageSet::ItemText(const std::string& key, const std::string& property) const {
    return macros_.Expand(RawItemText(key, property));
}

}  // namespace setup
