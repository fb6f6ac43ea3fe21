#include "targets/ImportStore.h"

#include "targets/PropertyTree.h"

#include <cstdio>

namespace {

constexpr std::array<uint8_t, 4> kImportMagic{'T', 'L', 'I', '1'};

std::string Numbered(const char* stem, size_t n, int width = 0) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%0*zu", stem, width, n);
    return name;
}

// "CK12" -> stem "CK", index 12; false for a name that is not stem and digits.
bool SplitName(const std::string& name, std::string& stem, size_t& index) {
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
    if (digits == name.size() || name.size() - digits > 6) return false;
    stem = name.substr(0, digits);
    index = std::stoul(name.substr(digits));
    return true;
}

std::optional<WinappTarget> TargetFromNode(const PropertyNode& node, const KeepImported& keep) {
    WinappTarget t;
    t.name = node.GetString("Name", "");
    t.group = node.GetString("Group", "");
    t.warning = node.GetString("Warning", "");
    if (t.name.empty()) return std::nullopt;
    std::string stem, reason;
    size_t i = 0;
    for (const Property& p : node.Properties()) {
        if (p.name.empty() || p.name[0] != 'C' || !SplitName(p.name, stem, i) || stem.size() != 2) continue;
        if (i >= 1000) return std::nullopt;
        if (t.conditions.size() <= i) t.conditions.resize(i + 1);
        TargetCondition& c = t.conditions[i];
        const bool isText = p.type == static_cast<uint8_t>(PropertyType::String);
        if (stem == "CK") c.kind = p.number;
        else if (stem == "CN") c.number = p.number;
        else if (stem == "CT" && isText) c.text = p.text;
        else if (stem == "CS" && isText) c.secondText = p.text;
    }
    if (keep && !keep(t)) return std::nullopt;
    for (const Property& p : node.Properties()) {
        if (p.type != static_cast<uint8_t>(PropertyType::String) || !SplitName(p.name, stem, i)) continue;
        if (stem == "F") {
            if (auto k = ParseWinappFileKey(p.text, reason)) t.files.emplace_back("FileKey=" + p.text, std::move(*k));
        } else if (stem == "R") {
            if (auto k = ParseWinappRegKey(p.text, reason)) t.keys.emplace_back("RegKey=" + p.text, std::move(*k));
        } else if (stem == "X") {
            if (auto k = ParseWinappExclude(p.text, reason)) t.excludes.push_back(std::move(*k));
        }
    }
    if (t.files.empty() && t.keys.empty()) return std::nullopt;
    return t;
}

}  // namespace

void WriteImport(const std::vector<WinappTarget>& targets, ByteStream& out) {
    PropertyTree tree;
    tree.SetMagic(kImportMagic);
    tree.SetCheck(true);
    for (size_t n = 0; n < targets.size(); ++n) {
        const WinappTarget& t = targets[n];
        PropertyNode& node = tree.AddNode(Numbered("T", n, 5), 0, false);
        node.SetString("Name", t.name);
        node.SetString("Group", t.group);
        node.SetString("Warning", t.warning);
        for (size_t i = 0; i < t.conditions.size(); ++i) {
            node.SetInteger(Numbered("CK", i), t.conditions[i].kind);
            node.SetInteger(Numbered("CN", i), t.conditions[i].number);
            node.SetString(Numbered("CT", i), t.conditions[i].text);
            node.SetString(Numbered("CS", i), t.conditions[i].secondText);
        }
        for (size_t i = 0; i < t.files.size(); ++i) node.SetString(Numbered("F", i), WinappFileKeyText(t.files[i].second));
        for (size_t i = 0; i < t.keys.size(); ++i) node.SetString(Numbered("R", i), WinappRegKeyText(t.keys[i].second));
        for (size_t i = 0; i < t.excludes.size(); ++i) node.SetString(Numbered("X", i), WinappExcludeText(t.excludes[i]));
    }
    tree.SortNodes();
    tree.Write(out);
}

std::optional<std::vector<WinappTarget>> ReadImport(ByteStream& in, const KeepImported& keep) {
    PropertyTree tree;
    tree.SetMagic(kImportMagic);
    tree.SetCheck(true);
    if (!tree.Read(in)) return std::nullopt;
    std::vector<WinappTarget> targets;
    for (size_t n = 0; n < tree.NodeCount(); ++n)
        if (auto t = TargetFromNode(tree.Node(n), keep)) targets.push_back(std::move(*t));
    return targets;
}
