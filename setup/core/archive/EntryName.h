#pragma once
// What an archive member's stored name may become on disk. The clean-up strips drive prefixes,
// leading separators and everything up to a parent step between separators; on top of that any
// ".." component that is left (a leading "../", a trailing "\..") is refused, so no name can reach
// outside the folder it is extracted into.
#include <optional>
#include <string>

namespace setup {

// The relative name of a member, or nothing when the name is refused.
std::optional<std::u16string> CleanEntryName(const std::u16string& stored);

// True when `path` is a non-empty relative path with no drive, no leading separator, no ':' and no
// ".." component: joined to a folder, it stays inside it.
bool IsContainedRelativePath(const std::u16string& path);

}  // namespace setup
