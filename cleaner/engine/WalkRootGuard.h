#pragma once
#include <string>
#include <vector>

// Decides whether a recursive folder walk may start at a folder. A broken or hostile plug-in must
// not be able to wipe a disk or a profile, so a recursive walk never starts at a drive or share
// root, nor at a protected folder (Windows, the profile, Documents, Desktop, Program Files, ...) or
// any folder that contains one. Paths are compared without regard to case, with '/' taken as '\'
// and trailing separators ignored; the caller passes full paths.
class WalkRootGuard {
public:
    explicit WalkRootGuard(std::vector<std::string> protectedFolders);

    [[nodiscard]] bool MayWalkRecursively(const std::string& folder) const;

    static bool IsVolumeRoot(const std::string& folder);

private:
    std::vector<std::string> protected_;  // normalised
};

// Lower-case ASCII, '\' separators, no trailing separator.
std::string NormaliseFolderForCompare(const std::string& folder);
