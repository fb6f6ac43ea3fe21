#pragma once
#include <string>
#include <vector>

// Decides whether a folder walk may start at a folder, recursive or not. A broken or hostile
// plug-in must not be able to empty a disk, the system or a profile, so no walk starts at a drive
// or share root, at a protected folder (Windows, System32, Program Files, a profile root,
// Documents, AppData itself, ...) or at any folder that contains one. Folders directly inside a
// profile container (the Users folder) are profile roots and protected as well. Paths are compared
// without regard to case, with '/' taken as '\', "\\?\" prefixes dropped and trailing separators
// ignored; the caller passes full paths, already resolved (see CanonicalPath).
class WalkRootGuard {
public:
    explicit WalkRootGuard(std::vector<std::string> protectedFolders,
                           std::vector<std::string> profileContainers = {});

    [[nodiscard]] bool MayWalk(const std::string& folder) const;

    static bool IsVolumeRoot(const std::string& folder);

private:
    std::vector<std::string> protected_;   // normalised
    std::vector<std::string> containers_;  // normalised
};

// Lower-case ASCII, '\' separators, no "\\?\" or "\\?\UNC\" prefix, no trailing separator.
std::string NormaliseFolderForCompare(const std::string& folder);

// A path that names its drive or share: "X:\..." or "\\server\share...". Anything else would be
// resolved against the current folder, which for a program started from the Run key is System32.
[[nodiscard]] bool IsAbsolutePath(const std::string& path);
