#pragma once
#include <string>
#include <vector>

// Decides whether a folder walk may start at a folder, recursive or not, and whether a path lies in
// a place whose files belong to the user rather than to any trace. A broken or hostile plug-in
// must not be able to empty a disk, the system or a profile, so no walk starts at a drive or share
// root, at a protected folder (Windows, System32, Program Files, a profile root, AppData itself,
// ...) or at any folder that contains one. Folders directly inside a profile container (the Users
// folder) are profile roots and protected as well. The user's own places (Documents and the other
// library folders, sync folders, SSH and GnuPG keys, mail stores) and the system's key material
// are protected with everything below them: no walk starts at, above or inside them, and no file
// inside them is removed. Paths are compared without regard to case, with '/' taken as '\',
// "\\?\" prefixes dropped and trailing separators ignored; the caller passes full paths, already
// resolved (see CanonicalPath).

enum class PlaceKind : unsigned char {
    Open,         // no protected place
    UserFiles,    // the user's own files: only the user's own targets may reach them
    KeyMaterial,  // keys, certificates and credentials: nothing ever removes them
};

struct ProtectedPlace {
    std::string folder;  // as given; normalised inside the guard
    PlaceKind kind = PlaceKind::UserFiles;
    std::string label;   // in plain words, for the editor: "your Documents folder"
};

struct PlaceVerdict {
    PlaceKind kind = PlaceKind::Open;
    std::string label;  // empty for Open
};

class WalkRootGuard {
public:
    explicit WalkRootGuard(std::vector<std::string> protectedFolders,
                           std::vector<std::string> profileContainers = {},
                           std::vector<ProtectedPlace> places = {},
                           std::vector<std::string> profiles = {});

    // A walk may start here: not a root, not at or above a protected folder or place, not inside
    // a place.
    [[nodiscard]] bool MayWalk(const std::string& folder) const;

    // A walk may not start here whatever the source: a root, a protected folder or profile root,
    // or a folder at or above one of them or of a place.
    [[nodiscard]] bool IsAtOrAboveProtected(const std::string& folder) const;

    // The place path lies in (at or below its folder), also by name where a place is known by its
    // form: a mail store file (*.pst, *.ost), a "OneDrive*" folder of a profile, the mail folders
    // of a Thunderbird profile. Key material wins over the user's files.
    [[nodiscard]] PlaceVerdict PlaceOf(const std::string& path) const;

    static bool IsVolumeRoot(const std::string& folder);

private:
    struct Place {
        std::string folder;  // normalised
        PlaceKind kind;
        std::string label;
    };
    std::vector<std::string> protected_;   // normalised
    std::vector<std::string> containers_;  // normalised
    std::vector<Place> places_;
    std::vector<std::string> profiles_;    // normalised
};

// Lower-case ASCII, '\' separators, no "\\?\" or "\\?\UNC\" prefix, no trailing separator.
std::string NormaliseFolderForCompare(const std::string& folder);

// A path that names its drive or share: "X:\..." or "\\server\share...". Anything else would be
// resolved against the current folder, which for a program started from the Run key is System32.
[[nodiscard]] bool IsAbsolutePath(const std::string& path);
