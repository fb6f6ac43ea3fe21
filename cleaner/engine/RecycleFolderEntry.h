#pragma once
#include "engine/RemEntry.h"

#include <memory>
#include <string>

// The shell's recycle bin of one drive: the production implementation is the Win32 one.
class RecycleBinShell {
public:
    virtual ~RecycleBinShell() = default;
    // Whether the bin of the drive root holds items (false when the query fails).
    [[nodiscard]] virtual bool HasItems(const std::string& root) = 0;
    // Empties the bin of the drive root: no window, no confirmation, no progress, no sound.
    virtual void Empty(const std::string& root) = 0;
};

// Whether a drive's "RECYCLED" folder is the system's recycle folder: it carries the system or
// hidden attribute and holds INFO, INFO2, or a desktop.ini naming the recycle bin's class.
[[nodiscard]] bool IsMarkedRecycleFolder(const std::string& folder);

// The recycle folder of one fixed drive (none when the drive has no recycle folder). On a per-user layout ($Recycle.Bin, RECYCLER) only the
// current user's subfolder (named by the user's SID) is walked, as the shell's own emptying does.
// Bookkeeping is not counted: desktop.ini in $Recycle.Bin, two files in RECYCLER and RECYCLED.
class RecycleFolderEntry : public RemEntry {
public:
    RecycleFolderEntry(std::string root, std::string folder, std::string userSid,
                       std::shared_ptr<RecycleBinShell> shell);
    const std::string& Root() const { return root_; }
    // The recycle folder with its trailing backslash.
    const std::string& Folder() const { return folder_; }
    void Scan() override;
    void Kill() override;

private:
    // The folder the walk covers; empty when a per-user folder has no subfolder of this user.
    std::string WalkFolder() const;
    void Adjust(RunCounters& counters) const;

    std::string root_;
    std::string folder_;
    std::string sid_;
    std::shared_ptr<RecycleBinShell> shell_;
    bool perUserBin_ = false;  // $Recycle.Bin
    bool perUser_ = false;     // $Recycle.Bin or RECYCLER
};
