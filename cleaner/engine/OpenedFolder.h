#pragma once
#include "platform/Handles.h"

#include <string>

// A folder a walk has opened and checked, held by its handle: the walk lists it, opens its files
// and subfolders, renames and deletes through that handle, so a folder swapped for a junction or
// link after the check is never entered.
class OpenedFolder {
public:
    OpenedFolder() = default;

    // The folder a walk starts at, opened once and named once: the entry's folder may lead
    // through links (a profile's "Local Settings\Temp" is the Temp folder), and the walk works on
    // the folder it leads to, by the final path of the handle. Not open when the folder cannot be
    // opened, is not a folder, or the folder guard refuses it (the name as given or the folder it
    // leads to).
    // volumeRootAllowed: the built-in fragment walk, which alone may start at a drive root.
    static OpenedFolder OpenWalkRoot(const std::string& folder, bool volumeRootAllowed = false);

    // A subfolder from this folder's listing, opened inside this folder as itself and checked on
    // its handle: a folder, not a link, whose final path is this folder's final path with the name
    // appended (so it lies below the walk's root), and that the folder guard allows. Opened with
    // DELETE when forRemoval, so the walk can remove it once emptied. Not open otherwise.
    [[nodiscard]] OpenedFolder OpenSubfolder(const std::string& name, bool forRemoval) const;

    [[nodiscard]] bool IsOpen() const { return handle_.IsValid(); }
    HANDLE Handle() const { return handle_.Get(); }
    // The final path of the handle, without a trailing separator.
    const std::string& Path() const { return path_; }
    // The full path as the entry named it, for the guard's look at the name as given.
    const std::string& GivenPath() const { return given_; }

    // The final path a name inside this folder must have.
    std::string PathOf(const std::string& name) const { return Joined(path_, name); }
    static std::string Joined(const std::string& folder, const std::string& name) {
        return (!folder.empty() && folder.back() == '\\') ? folder + name : folder + "\\" + name;
    }

    // Removes the folder once empty; false while it holds anything.
    [[nodiscard]] bool RemoveIfEmpty();

private:
    FileHandle handle_;
    std::string path_;
    std::string given_;
};
