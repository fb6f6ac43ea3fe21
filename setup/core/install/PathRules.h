#pragma once
// Path rules of the setup program, apart from the file system: bounded joins, what counts as an
// installation folder, and whether a path lies inside a folder. Comparisons fold ASCII letters only
// (paths the program compares are ones it built itself from the same folder strings).
#include <optional>
#include <string>

namespace setup {

// Characters of a path including its terminator, as the platform's path buffers hold them.
constexpr size_t kMaxPath = 260;

// `folder` + "\" + `name` (no doubled separator; `name` may be empty), or nothing when the result
// would not fit a path buffer.
std::optional<std::u16string> JoinPath(const std::u16string& folder, const std::u16string& name);

// A folder an installation can use: a drive letter with its root ("C:\...") or a UNC share
// ("\\server\share\..."); a drive-relative "C:foo", a relative path and anything with a "." or
// ".." component are not.
bool IsAbsoluteFolder(const std::u16string& path);
// "C:" or "C:\" (the installation never goes straight into a drive root).
bool IsDriveRoot(const std::u16string& path);

// Without trailing separators (a drive root keeps its backslash).
std::u16string TrimSeparators(const std::u16string& path);

// True when `path` lies strictly inside `folder`: both absolute, the folder a prefix of the path
// followed by a separator, and no "." or ".." component that could lead back out.
bool IsInsideFolder(const std::u16string& path, const std::u16string& folder);
bool IsSameOrInsideFolder(const std::u16string& path, const std::u16string& folder);
bool SamePath(const std::u16string& a, const std::u16string& b);

// The folder part of a path ("C:\a\b.exe" -> "C:\a"); empty when there is no separator.
std::u16string ParentFolder(const std::u16string& path);

// Registry key paths below one root: equal or an ancestor, ignoring ASCII case.
bool SameKey(const std::u16string& a, const std::u16string& b);
bool IsKeyAncestor(const std::u16string& ancestor, const std::u16string& key);
// A subkey the program writes to or removes: at least two components, no empty one, so neither a
// root key nor a whole top-level key is ever touched.
bool IsUsableSubkey(const std::u16string& key);

}  // namespace setup
