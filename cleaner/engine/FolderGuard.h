#pragma once
#include "engine/EntryTrust.h"
#include "engine/WalkRootGuard.h"

#include <string>

// The one guard every folder walk, the plug-in loader and the custom-target editor use before a
// folder is emptied. It compares the folder in its resolved form (full path, "." and ".." gone,
// 8.3 names expanded, junctions and links followed to the folder they lead to) with the machine's
// protected folders in the same form, so "C:\Documents and Settings\<user>", "C:\PROGRA~1" or a
// link to the Windows folder cannot pass where the plain name would not. The protected set is that
// of ProtectedPlaces, filled from this machine: its special and Known Folders, the OneDrive
// accounts it lists, the sync and mail folders it holds. All paths are UTF-8.

// The resolved form of an existing file or folder; empty when it does not exist, cannot be opened,
// or its resolved name has no ANSI form.
[[nodiscard]] std::string CanonicalPath(const std::string& path);

// Whether a walk may empty folder (recursive or not) on this machine. A folder that does not exist
// or is not an absolute path is refused: there is nothing to walk, and a relative name would be
// taken from the current folder.
[[nodiscard]] bool MayWalkFolder(const std::string& folder);

// The same rule for a folder the walk has opened already: fullPath is the folder as the entry named
// it (made absolute), finalPath the name the system gives the opened handle. Both must be allowed,
// so a link cannot lead a permitted name into a protected folder.
[[nodiscard]] bool MayWalkOpenedFolder(const std::string& fullPath, const std::string& finalPath);

// Whether a file, by the final name of its opened handle, may be removed at all: a walk's or a
// single-file entry's file that lies in a protected place (the user's own files, the key
// material, a mail store) stays, unless a UserFilesPermit lets it through.
[[nodiscard]] bool MayRemoveFile(const std::string& finalPath);

// The loader's form of the same rule for a folder that may not exist yet: an existing folder is
// judged as MayWalkFolder judges it; a missing one by its full path.
[[nodiscard]] bool MayLoadFolderEntry(const std::string& folder);

// Whether path lies inside folder once both are resolved (false when either cannot be resolved; a
// file that does not exist is placed by its resolved parent folder).
[[nodiscard]] bool IsInsideFolder(const std::string& path, const std::string& folder);

// The protected set of this machine, and the places the trust rule asks about (EntryTrust).
const WalkRootGuard& MachineProtectedSet();
const EntryPlaces& ThisMachinePlaces();

// While it lives, the guard lets the user's own target reach the user's own files
// it names, after the trust rule allowed exactly that: the file itself (singleFile), or the folder
// and everything below it (a walk the user confirmed). The key material stays out of reach.
class UserFilesPermit {
public:
    UserFilesPermit(const std::string& path, bool singleFile);
    ~UserFilesPermit();
    UserFilesPermit(const UserFilesPermit&) = delete;
    UserFilesPermit& operator=(const UserFilesPermit&) = delete;

private:
    std::string previousPath_;
    bool previousSingleFile_;
};
