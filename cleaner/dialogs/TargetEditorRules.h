#pragma once
// What the custom target editor accepts and what it builds, without the windows: the name and
// field checks with their messages, and the one entry of the new target. Bounded to what a stored
// record holds (the custom targets file refuses longer strings and bytes below 20, and a refused
// record would lose every custom target after it) and to what the engine can match.
#include "engine/EntryRecord.h"

#include <cstdint>
#include <functional>
#include <string>

namespace target_editor {

constexpr size_t kMaxNameLength = 32;    // characters, not UTF-8 bytes
constexpr size_t kMaxFieldLength = 259;    // paths, sub-keys, wildcards, value names
constexpr size_t kMaxPatternLength = 127;  // a kind 5 pattern with a leading or trailing '*'
constexpr int kRootCount = 5;

// Root key radios by index: Classes_Root, Current_User, Local_Machine, Current_Config, Users.
uint32_t RootKeyOfIndex(int index);  // 0 for an index out of range
int IndexOfRootKey(uint32_t rootKey); // -1 for a root the radios do not offer

// Everything the editor's pages hold; only the fields of `kind` are read.
struct Fields {
    std::string name;
    bool active = true;
    int kind = 1;  // RemKind 1 to 6
    std::string file;                 // kind 1
    std::string folder;               // kinds 2 and 3
    std::string wildcard;             // kind 3
    bool recurse = true;              // kinds 2, 3 and 4
    int root = -1;                    // kinds 4 to 6: radio index, -1 none
    std::string subKey;               // kinds 4 to 6
    std::string valueName;            // kind 4: the value holding the folder; kind 5: the pattern
};

extern const char* const kNameEmpty;     // "Please enter the name of target!"
extern const char* const kNameTooLong;   // "The name can contains maximum 32 characters!"
extern const char* const kFieldsEmpty;   // "Please fill all fields!"

// The first problem of the fields, as the message the editor shows; empty when there is none.
// Checks the name, then the required fields of the kind, then their bounds and form (absolute
// paths for kinds 1 to 3, no control characters). The safety rules of the engine come after.
std::string Check(const Fields& fields);

// The first text of the target that the custom targets file cannot store (it keeps its strings in
// the ANSI code page, and `storable` says whether one has an exact form there), as the message
// the editor shows; empty when every text can be stored. Storing another name instead would save
// a target the user never entered.
std::string CheckStoredForm(const Fields& fields, const std::function<bool(const std::string&)>& storable);

// The entry of the new target: kind 2 and 3 folders get a trailing backslash; kind 5 takes the
// value name as its pattern and is not recursive, kind 6 is.
EntryRecord BuildEntry(const Fields& fields);

// Fills the fields of `entry`'s kind from a stored entry (the editor opening on a target).
void FillFrom(const EntryRecord& entry, Fields& fields);

// Messages for an entry the engine's safety rules refuse, naming why.
std::string RefusedFolderMessage(const std::string& folder, bool driveRoot);
std::string RefusedRegistryMessage(const EntryRecord& entry);
// A file or folder in a protected place (`place` in plain words, as the trust rule names it):
// the key material, or the user's own files where a custom target cannot reach.
std::string RefusedPlaceMessage(const std::string& path, const std::string& place, bool keyMaterial);

// The question the editor asks before a custom target may walk a folder among the user's own
// files: what lies there, what every Kill will do to it, and that it cannot be undone.
std::string ConfirmUserFilesMessage(const EntryRecord& entry, const std::string& folder, const std::string& place);

}  // namespace target_editor
