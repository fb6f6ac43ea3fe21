#include "targets/PluginRecord.h"

#include <cstdio>

namespace {
uint8_t ShiftFor(size_t n) { return static_cast<uint8_t>((n + 10) % 20); }

std::string NumberedName(const char* prefix, size_t n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%zu", prefix, n);
    return buf;
}

// A plain string the scrambled form can carry: at most 259 bytes, none below 20 (a stored zero
// would cut the length the reader takes k from).
bool Scramblable(const std::string& s) {
    if (s.size() > kMaxScrambledLength) return false;
    for (unsigned char c : s)
        if (c < 20) return false;
    return true;
}

bool ReadScrambled(const PropertyNode& node, const char* name, std::string& out) {
    std::string stored = node.GetString(name, "");
    if (stored.size() > kMaxScrambledLength) return false;
    out = Unscramble(stored);
    // The writer refuses a byte below 20; a record read with one could never be saved again, and
    // a custom targets set holding it would refuse every later save.
    return Scramblable(out);
}

EntryRecord EntryFromNode(const PropertyNode& node, bool& ok) {
    EntryRecord e;
    e.kind = node.GetInteger("Type", 0);
    e.recurse = node.GetBoolean("Recurs", false);
    if (e.Kind() > RemKind::RegistryFolderFiles) {
        e.rootKey = node.GetInteger("RootKey", 0);
        ok = ok && ReadScrambled(node, "Key", e.key);
        // A "Value" of another type counts as missing: it must not turn into an empty pattern,
        // which would select every value of the key.
        const Property* value = node.Find("Value");
        e.hasPattern = e.Kind() != RemKind::RegistryValues || (value && value->type == static_cast<uint8_t>(PropertyType::String));
        if (e.Kind() == RemKind::RegistryValues) ok = ok && ReadScrambled(node, "Value", e.valueName);
        return e;
    }
    ok = ok && ReadScrambled(node, "Path", e.path);
    e.folderId = static_cast<int32_t>(node.GetInteger("CSID", 0));
    e.removeAtReboot = node.GetBoolean("RemReboot", false);
    if (e.Kind() == RemKind::FolderWildcard) ok = ok && ReadScrambled(node, "Tpl", e.mask);
    if (e.Kind() == RemKind::RegistryFolderFiles) {
        e.rootKey = node.GetInteger("RootKey", 0);
        ok = ok && ReadScrambled(node, "Value", e.valueName);
    }
    return e;
}
}  // namespace

std::string Scramble(const std::string& plain) {
    uint8_t k = ShiftFor(plain.size());
    std::string out = plain;
    for (char& c : out) c = static_cast<char>(static_cast<uint8_t>(c) - k);
    return out;
}

std::string Unscramble(const std::string& stored) {
    // The length is taken up to the first zero byte, as the stored form was always written from
    // a string without one.
    std::string s = stored.substr(0, stored.find('\0'));
    uint8_t k = ShiftFor(s.size());
    for (char& c : s) c = static_cast<char>(static_cast<uint8_t>(c) + k);
    return s;
}

std::optional<TargetRecord> RecordFromTree(const PropertyTree& tree) {
    const PropertyNode* info = tree.FindNode("Info");
    if (!info) return std::nullopt;
    TargetRecord r;
    if (!ReadScrambled(*info, "Name", r.name) || !ReadScrambled(*info, "Desc", r.description))
        return std::nullopt;
    r.active = info->GetBoolean("Active", false);
    auto date = info->GetStamp("Date", 1, 1, 0, 0);
    r.stamp = {date[0], date[1], date[2], 0};
    bool ok = true;
    for (size_t n = 0; n < kMaxRecordEntries; ++n) {
        const PropertyNode* node = tree.FindNode(NumberedName("Rem", n));
        if (!node) break;
        r.entries.push_back(EntryFromNode(*node, ok));
    }
    if (!ok) return std::nullopt;
    for (size_t n = 0; n < kMaxRecordConditions; ++n) {
        const PropertyNode* node = tree.FindNode(NumberedName("Valid", n));
        if (!node) break;
        TargetCondition c;
        // Older files write bare nodes, and their readers took a "Type" without text as nothing.
        if (!node->Find("Text")) {
            r.conditions.push_back(c);
            continue;
        }
        c.kind = node->GetInteger("Type", 1);
        c.number = node->GetInteger("Number", 0);
        if (!ReadScrambled(*node, "Text", c.text) || !ReadScrambled(*node, "Text2", c.secondText)) return std::nullopt;
        r.conditions.push_back(std::move(c));
    }
    return r;
}

RecordWriteResult TreeFromRecord(const TargetRecord& record, PropertyTree& out) {
    if (record.entries.size() > kMaxRecordEntries) return RecordWriteResult::TooManyEntries;
    if (record.conditions.size() > kMaxRecordConditions) return RecordWriteResult::TooManyConditions;
    auto check = [](const std::string& s) {
        if (s.size() > kMaxScrambledLength) return RecordWriteResult::StringTooLong;
        return Scramblable(s) ? RecordWriteResult::Ok : RecordWriteResult::BadString;
    };
    // Only the strings a kind writes are held to the bounds; fields another kind leaves unused
    // never reach the file.
    std::vector<const std::string*> strings{&record.name, &record.description};
    for (const EntryRecord& e : record.entries) {
        if (e.Kind() < RemKind::SingleFile || e.Kind() > RemKind::RegistryKey) return RecordWriteResult::BadKind;
        if (e.Kind() >= RemKind::RegistryValues) {
            strings.push_back(&e.key);
            if (e.Kind() == RemKind::RegistryValues && e.hasPattern) strings.push_back(&e.valueName);
            continue;
        }
        strings.push_back(&e.path);
        if (e.Kind() == RemKind::FolderWildcard) strings.push_back(&e.mask);
        if (e.Kind() == RemKind::RegistryFolderFiles) strings.push_back(&e.valueName);
    }
    for (const TargetCondition& c : record.conditions) strings.insert(strings.end(), {&c.text, &c.secondText});
    for (const std::string* s : strings)
        if (auto r = check(*s); r != RecordWriteResult::Ok) return r;

    PropertyTree tree;
    tree.SetMagic(PropertyTree::kPluginMagic);
    tree.SetCheck(true);
    PropertyNode& info = tree.AddNode("Info", 0, false);
    info.SetString("Name", Scramble(record.name));
    info.SetString("Desc", Scramble(record.description));
    info.SetBoolean("Active", record.active);
    info.SetStamp("Date", record.stamp[0], record.stamp[1], record.stamp[2], 0);
    for (size_t i = 0; i < record.entries.size(); ++i) {
        const EntryRecord& e = record.entries[i];
        PropertyNode& node = tree.AddNode(NumberedName("Rem", i), 0, false);
        node.SetInteger("Type", e.kind);
        if (e.Kind() >= RemKind::RegistryValues) {
            node.SetInteger("RootKey", e.rootKey);
            node.SetString("Key", Scramble(e.key));
            node.SetBoolean("Recurs", e.recurse);
            if (e.Kind() == RemKind::RegistryValues && e.hasPattern) node.SetString("Value", Scramble(e.valueName));
            continue;
        }
        node.SetString("Path", Scramble(e.path));
        node.SetBoolean("Recurs", e.recurse);
        node.SetInteger("CSID", static_cast<uint32_t>(e.folderId));
        node.SetBoolean("RemReboot", e.removeAtReboot);
        if (e.Kind() == RemKind::FolderWildcard) node.SetString("Tpl", Scramble(e.mask));
        if (e.Kind() == RemKind::RegistryFolderFiles) {
            node.SetInteger("RootKey", e.rootKey);
            node.SetString("Value", Scramble(e.valueName));
        }
    }
    for (size_t i = 0; i < record.conditions.size(); ++i) {
        const TargetCondition& c = record.conditions[i];
        PropertyNode& node = tree.AddNode(NumberedName("Valid", i), 0, false);
        if (c == TargetCondition{}) continue;
        node.SetInteger("Type", c.kind);
        node.SetString("Text", Scramble(c.text));
        node.SetInteger("Number", c.number);
        node.SetString("Text2", Scramble(c.secondText));
    }
    tree.SortNodes();
    out = std::move(tree);
    return RecordWriteResult::Ok;
}

std::optional<TargetRecord> ReadTargetRecord(ByteStream& in) {
    PropertyTree tree;
    tree.SetMagic(PropertyTree::kPluginMagic);
    tree.SetCheck(true);
    if (!tree.Read(in)) return std::nullopt;
    return RecordFromTree(tree);
}

RecordWriteResult WriteTargetRecord(const TargetRecord& record, ByteStream& out) {
    PropertyTree tree;
    RecordWriteResult r = TreeFromRecord(record, tree);
    if (r == RecordWriteResult::Ok) tree.Write(out);
    return r;
}
