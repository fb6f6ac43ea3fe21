#pragma once
// Names written between '#' characters and their values. Expansion goes over the table in
// ascending name order (UTF-16 code units) and replaces every occurrence of each name left to
// right without rescanning what it inserted; so a value naming a later macro is expanded too, one
// naming an earlier macro stays literal.
#include <map>
#include <string>

namespace setup {

class MacroTable {
public:
    void Set(const std::u16string& name, const std::u16string& value);
    const std::u16string* Find(const std::u16string& name) const;
    // Each value may name later macros several times, so a crafted table can grow a text
    // exponentially; expansion stops before the text would pass kMaxExpandedLength, leaving the
    // macros not yet expanded as they stand.
    static constexpr size_t kMaxExpandedLength = 32 * 1024;
    std::u16string Expand(const std::u16string& text) const;
    bool Empty() const { return macros_.empty(); }
    const std::map<std::u16string, std::u16string>& Entries() const { return macros_; }

private:
    std::map<std::u16string, std::u16string> macros_;
};

}  // namespace setup
