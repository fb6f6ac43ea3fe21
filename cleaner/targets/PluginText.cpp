#include "targets/PluginText.h"

#include <cstdlib>
#include <sstream>

namespace {
std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool ParseNumber(const std::string& s, uint32_t& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    unsigned long long v = std::strtoull(s.c_str(), &end, 0);
    if (*end != '\0' || v > 0xFFFFFFFFull) return false;
    out = static_cast<uint32_t>(v);
    return true;
}

std::string Hex(uint32_t v) {
    std::ostringstream o;
    o << "0x" << std::hex << v;
    return o.str();
}
}  // namespace

PluginTextResult ParsePluginText(const std::string& text) {
    TargetRecord r;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    enum { Info, Rem, Valid } section = Info;
    std::vector<bool> sawValue;  // per entry: a "Value" line was given
    auto fail = [&](const std::string& why) {
        return PluginTextResult{std::nullopt, "line " + std::to_string(number) + ": " + why};
    };
    while (std::getline(in, line)) {
        ++number;
        std::string t = Trim(line);
        if (t.empty() || t[0] == '#') continue;
        if (t == "[Rem]") {
            section = Rem;
            r.entries.emplace_back();
            r.entries.back().recurse = false;
            sawValue.push_back(false);
            continue;
        }
        if (t == "[Valid]") {
            section = Valid;
            r.conditions.emplace_back();
            continue;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos) return fail("expected key = value");
        std::string key = Trim(t.substr(0, eq)), value = Trim(t.substr(eq + 1));
        uint32_t n = 0;
        bool isNumber = ParseNumber(value, n);
        if (section == Info) {
            if (key == "Name") r.name = value;
            else if (key == "Desc") r.description = value;
            else if (key == "Active" && isNumber) r.active = n != 0;
            else if (key == "Date") {
                std::istringstream d(value);
                unsigned b0, b1, b2;
                if (!(d >> b0 >> b1 >> b2) || b0 > 255 || b1 > 255 || b2 > 255) return fail("bad Date");
                r.stamp = {uint8_t(b0), uint8_t(b1), uint8_t(b2), 0};
            } else return fail("unknown or bad Info key " + key);
            continue;
        }
        if (section == Valid) {
            TargetCondition& c = r.conditions.back();
            if (key == "Text") c.text = value;
            else if (key == "Text2") c.secondText = value;
            else if (key == "Type" && isNumber && n >= 1 && n <= 3) c.kind = n;
            else if (key == "Number" && isNumber) c.number = n;
            else return fail("unknown or bad condition key " + key);
            continue;
        }
        EntryRecord& e = r.entries.back();
        if (key == "Path") e.path = value;
        else if (key == "Tpl") e.mask = value;
        else if (key == "Key") e.key = value;
        else if (key == "Value") { e.valueName = value; sawValue.back() = true; }
        else if (!isNumber) return fail("bad number for " + key);
        else if (key == "Type") e.kind = n;
        else if (key == "CSID") e.folderId = static_cast<int32_t>(n);
        else if (key == "Recurs") e.recurse = n != 0;
        else if (key == "RemReboot") e.removeAtReboot = n != 0;
        else if (key == "RootKey") e.rootKey = n;
        else return fail("unknown entry key " + key);
    }
    // A kind 5 entry without a pattern loads as no entry at all: say so instead of shipping it.
    for (size_t i = 0; i < r.entries.size(); ++i)
        if (r.entries[i].Kind() == RemKind::RegistryValues && !sawValue[i])
            return PluginTextResult{std::nullopt, "entry " + std::to_string(i) + ": Type 5 needs a Value pattern"};
    PropertyTree check;
    if (TreeFromRecord(r, check) != RecordWriteResult::Ok)
        return PluginTextResult{std::nullopt, "record breaks the plug-in bounds (kinds 1-6, 100 entries, 259-byte strings)"};
    return PluginTextResult{std::move(r), ""};
}

std::string PrintPluginText(const TargetRecord& r) {
    std::ostringstream o;
    o << "Name = " << r.name << "\nDesc = " << r.description << "\nActive = " << (r.active ? 1 : 0)
      << "\nDate = " << unsigned(r.stamp[0]) << ' ' << unsigned(r.stamp[1]) << ' ' << unsigned(r.stamp[2]) << "\n";
    for (const EntryRecord& e : r.entries) {
        o << "\n[Rem]\nType = " << e.kind << "\n";
        if (e.Kind() >= RemKind::RegistryValues) {
            o << "RootKey = " << Hex(e.rootKey) << "\nKey = " << e.key << "\nRecurs = " << e.recurse << "\n";
            if (e.Kind() == RemKind::RegistryValues && e.hasPattern) o << "Value = " << e.valueName << "\n";
            continue;
        }
        o << "CSID = " << Hex(static_cast<uint32_t>(e.folderId)) << "\nPath = " << e.path
          << "\nRecurs = " << e.recurse << "\nRemReboot = " << e.removeAtReboot << "\n";
        if (e.Kind() == RemKind::FolderWildcard) o << "Tpl = " << e.mask << "\n";
        if (e.Kind() == RemKind::RegistryFolderFiles) o << "RootKey = " << Hex(e.rootKey) << "\nValue = " << e.valueName << "\n";
    }
    for (const TargetCondition& c : r.conditions) {
        o << "\n[Valid]\n";
        if (c == TargetCondition{}) continue;
        o << "Type = " << c.kind << "\nText = " << c.text << "\nNumber = " << Hex(c.number) << "\nText2 = " << c.secondText
          << "\n";
    }
    return o.str();
}
