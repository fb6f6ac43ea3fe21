#pragma once
#include "engine/EntryRecord.h"
#include "targets/StoredText.h"
#include "targets/PropertyTree.h"
#include "targets/TargetCondition.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// Scrambled strings: each byte stored shifted by k = (n + 10) mod 20, n the byte count.
constexpr size_t kMaxScrambledLength = 259;
constexpr size_t kMaxRecordEntries = 100;
constexpr size_t kMaxRecordConditions = 100;

[[nodiscard]] std::string Scramble(const std::string& plain);
[[nodiscard]] std::string Unscramble(const std::string& stored);

// The platform-neutral form of one plug-in target.
struct TargetRecord {
    std::string name;
    std::string description;
    bool active = false;
    std::array<uint8_t, 4> stamp{1, 1, 0, 0};
    std::vector<EntryRecord> entries;
    // "Valid" nodes. A plug-in's condition without text (all older files hold only these) is
    // written as an empty node, as before; one with text carries Type, Text, Number and Text2.
    std::vector<TargetCondition> conditions;
};

// Every string of a record passes `text` here, and only here: the record holds the program's UTF-8,
// the tree the stored 8-bit form.
//
// Tree -> record. None when the tree has no "Info" node or a scrambled string is refused (longer
// than 259 bytes, holding a byte below 20 once unscrambled: the writer could not store it back; or
// without a form in the program's text).
[[nodiscard]] std::optional<TargetRecord> RecordFromTree(const PropertyTree& tree,
                                                         const StoredText& text = AsciiStoredText());

// NoStoredForm: a string has no exact form in the stored code page (a Cyrillic name under a Western
// one); writing another name instead would make the file say something the user never entered.
enum class RecordWriteResult { Ok, StringTooLong, BadString, TooManyEntries, TooManyConditions, BadKind, NoStoredForm };
// Record -> tree with magic "TLP2" and the check flag set. Refuses what the reader would refuse
// (so a written record always reads back): strings over 259 stored bytes or holding a byte below
// 20, strings without a stored form, more than 100 entries or conditions, entry kinds outside 1-6.
[[nodiscard]] RecordWriteResult TreeFromRecord(const TargetRecord& record, PropertyTree& tree,
                                               const StoredText& text = AsciiStoredText());

// Reads one "TLP2" tree from the stream's position and converts it.
[[nodiscard]] std::optional<TargetRecord> ReadTargetRecord(ByteStream& in, const StoredText& text = AsciiStoredText());
[[nodiscard]] RecordWriteResult WriteTargetRecord(const TargetRecord& record, ByteStream& out,
                                                  const StoredText& text = AsciiStoredText());
