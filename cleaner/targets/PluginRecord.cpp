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

bool ReadScrambled(const PropertyNode& node, const char* name, std::string& out, const StoredText& text) {
    std::string stored = node.GetString(name, "");
    if (stored.size() > kMaxScrambledLength) return false;
    const std::string plain = Unscramble(stored);
    // The writer refuses a byte below 20; a record read with one could never be saved again, and
    // a custom targets set holding it would refuse every later save.
    return Scramblable(plain) && text.Load(plain, out);
}

EntryRecord EntryFromNode(const PropertyNode& node, bool& ok, const StoredText& text) {
    EntryRecord e;
    e.kind = node.GetInteger("Type", 0);
    e.recurse = node.GetBoolean("Recurs", false);
    if (e.Kind() > RemKind::RegistryFolderFiles) {
        e.rootKey = node.GetInteger("RootKey", 0);
        ok = ok && ReadScrambled(node, "Key", e.key, text);
        // A "Value" of another type counts as missing: it must not turn into an empty pattern,
        // which would select every value of the key.
        const Property* value = node.Find("Value");
        e.hasPattern = e.Kind() != RemKind::RegistryValues || (value && value->type == static_cast<uint8_t>(PropertyType::String));
        if (e.Kind() == RemKind::RegistryValues) ok = ok && ReadScrambled(node, "Value", e.valueName, text);
        return e;
    }
    ok = ok && ReadScrambled(node, "Path", e.path, text);
    e.folderId = static_cast<int32_t>(node.GetInteger("CSID", 0));
    e.removeAtReboot = node.GetBoolean("RemReboot", false);
    if (e.Kind() == RemKind::FolderWildcard) ok = ok && ReadScrambled(node, "Tpl", e.mask, text);
    if (e.Kind() == RemKind::FolderFiles || e.Kind() == RemKind::FolderWildcard)
        e.confirmed = node.GetBoolean("Confirmed", false);
    if (e.Kind() == RemKind::RegistryFolderFiles) {
        e.rootKey = node.GetInteger("RootKey", 0);
        ok = ok && ReadScrambled(node, "Value", e.valueName, text);
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

std::optional<TargetRecord> RecordFromTree(const PropertyTree& tree, const StoredText& text) {
    const PropertyNode* info = tree.FindNode("Info");
    if (!info) return std::nullopt;
    TargetRecord r;
    if (!ReadScrambled(*info, "Name", r.name, text) || !ReadScrambled(*info, "Desc", r.description, text))
        return std::nullopt;
    r.active = info->GetBoolean("Active", false);
    auto date = info->GetStamp("Date", 1, 1, 0, 0);
    r.stamp = {date[0], date[1], date[2], 0};
    bool ok = true;
    for (size_t n = 0; n < kMaxRecordEntries; ++n) {
        const PropertyNode* node = tree.FindNode(NumberedName("Rem", n));
        if (!node) break;
        r.entries.push_back(EntryFromNode(*node, ok, text));
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
        if (!ReadScrambled(*node, "Text", c.text, text) || !ReadScrambled(*node, "Text2", c.secondText, text)) return std::nullopt;
        r.conditions.push_back(std::move(c));
    }
    return r;
}

RecordWriteResult TreeFromRecord(const TargetRecord& record, PropertyTree& out, const StoredText& text) {
    if (record.entries.size() > kMaxRecordEntries) return RecordWriteResult::TooManyEntries;
    if (record.conditions.size() > kMaxRecordConditions) return RecordWriteResult::TooManyConditions;
    for (const EntryRecord& e : record.entries)
        if (e.Kind() < RemKind::SingleFile || e.Kind() > RemKind::RegistryKey) return RecordWriteResult::BadKind;

    // Only the strings a kind writes are held to the bounds; fields another kind leaves unused
    // never reach the file. The bounds hold for the stored form, which is what the reader sees.
    RecordWriteResult result = RecordWriteResult::Ok;
    auto scrambled = [&](PropertyNode& node, const char* name, const std::string& plain) {
        if (result != RecordWriteResult::Ok) return;
        std::string stored;
        if (!text.Store(plain, stored)) result = RecordWriteResult::NoStoredForm;
        else if (stored.size() > kMaxScrambledLength) result = RecordWriteResult::StringTooLong;
        else if (!Scramblable(stored)) result = RecordWriteResult::BadString;
        else node.SetString(name, Scramble(stored));
    };

    PropertyTree tree;
    tree.SetMagic(PropertyTree::kPluginMagic);
    tree.SetCheck(true);
    PropertyNode& info = tree.AddNode("Info", 0, false);
    scrambled(info, "Name", record.name);
    scrambled(info, "Desc", record.description);
    info.SetBoolean("Active", record.active);
    info.SetStamp("Date", record.stamp[0], record.stamp[1], record.stamp[2], 0);
    for (size_t i = 0; i < record.entries.size(); ++i) {
        const EntryRecord& e = record.entries[i];
        PropertyNode& node = tree.AddNode(NumberedName("Rem", i), 0, false);
        node.SetInteger("Type", e.kind);
        if (e.Kind() >= RemKind::RegistryValues) {
            node.SetInteger("RootKey", e.rootKey);
            scrambled(node, "Key", e.key);
            node.SetBoolean("Recurs", e.recurse);
            if (e.Kind() == RemKind::RegistryValues && e.hasPattern) scrambled(node, "Value", e.valueName);
            continue;
        }
        scrambled(node, "Path", e.path);
        node.SetBoolean("Recurs", e.recurse);
        node.SetInteger("CSID", static_cast<uint32_t>(e.folderId));
        node.SetBoolean("RemReboot", e.removeAtReboot);
        if (e.Kind() == RemKind::FolderWildcard) scrambled(node, "Tpl", e.mask);
        // Only a confirmed walk carries the mark, so every other record stays byte for byte as it was;
        // readers that do not know the property pass over it.
        if (e.confirmed && (e.Kind() == RemKind::FolderFiles || e.Kind() == RemKind::FolderWildcard))
            node.SetBoolean("Confirmed", true);
        if (e.Kind() == RemKind::RegistryFolderFiles) {
            node.SetInteger("RootKey", e.rootKey);
            scrambled(node, "Value", e.valueName);
        }
    }
    if (result != RecordWriteResult::Ok) return result;
    for (size_t i = 0; i < record.conditions.size(); ++i) {
        const TargetCondition& c = record.conditions[i];
        PropertyNode& node = tree.AddNode(NumberedName("Valid", i), 0, false);
        if (c == TargetCondition{}) continue;
        node.SetInteger("Type", c.kind);
        scrambled(node, "Text", c.text);
        node.SetInteger("Number", c.number);
        scrambled(node, "Text2", c.secondText);
    }
    if (result != RecordWriteResult::Ok) return result;
    tree.SortNodes();
    out = std::move(tree);
    return RecordWriteResult::Ok;
}

std::optional<TargetRecord> ReadTargetRecord(ByteStream& in, const StoredText& text) {
    PropertyTree tree;
    tree.SetMagic(PropertyTree::kPluginMagic);
    tree.SetCheck(true);
    if (!tree.Read(in)) return std::nullopt;
    return RecordFromTree(tree, text);
}

RecordWriteResult WriteTargetRecord(const TargetRecord& record, ByteStream& out, const StoredText& text) {
    PropertyTree tree;
    RecordWriteResult r = TreeFromRecord(record, tree, text);
    if (r == RecordWriteResult::Ok) tree.Write(out);
    return r;
}
