#include "config/MacroTable.h"

namespace setup {

void MacroTable::Set(const std::u16string& name, const std::u16string& value) { macros_[name] = value; }

const std::u16string* MacroTable::Find(const std::u16string& name) const {
    auto it = macros_.find(name);
    return it == macros_.end() ? nullptr : &it->second;
}

std::u16string MacroTable::Expand(const std::u16string& text) const {
    if (macros_.empty()) return text;
    std::u16string work = text;
    bool replaced = false;
    for (const auto& [name, value] : macros_) {
        // An empty name would match everywhere and never advance.
        if (name.empty()) continue;
        size_t at = work.find(name);
        if (at == std::u16string::npos) continue;
        std::u16string out;
        size_t from = 0;
        for (; at != std::u16string::npos; at = work.find(name, from)) {
            out.append(work, from, at - from);
            out += value;
            from = at + name.size();
            if (out.size() > kMaxExpandedLength) return replaced ? work : text;
        }
        out.append(work, from, std::u16string::npos);
        if (out.size() > kMaxExpandedLength) return replaced ? work : text;
        work.swap(out);
        replaced = true;
    }
    return replaced ? work : text;
}

}  // namespace setup
