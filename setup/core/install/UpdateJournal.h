#pragma once
// The journal of a replacement of the program's files (setup.jnl in the installation folder).
// Every new file is first written beside its old one under the staged name (name + ".tlnew");
// the journal lists the names, in the order they are replaced, the executable last. Written
// before the first staged file (not ready) and again once all of them are complete (ready), and
// removed after the last replacement. A run that finds it finishes what a ready journal lists
// and removes what an unready one staged, so an interruption at any point leaves either the
// old or the new program.
#include "qv/TreeNode.h"

#include <string>
#include <vector>

namespace setup {

struct UpdateJournal {
    static constexpr const char* kRootName = "Quorvane Setup Update Journal";
    bool ready = false;
    std::vector<std::u16string> names;  // relative to the installation folder
};

void EncodeJournal(const UpdateJournal& journal, QV::TreeNode& tree);
// False for another root name or a name that would leave the installation folder.
[[nodiscard]] bool DecodeJournal(const QV::TreeNode& tree, UpdateJournal& journal);

// `names` in replacement order: as given, with those equal to `exe` (ASCII case ignored) last.
std::vector<std::u16string> ReplacementOrder(const std::vector<std::u16string>& names, const std::u16string& exe);

}  // namespace setup
