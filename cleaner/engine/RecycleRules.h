#pragma once
#include "engine/RunCounters.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Platform-neutral decisions of the drive-based targets.

// The most drive roots the drive-based targets cover, and the characters of the drive string
// buffer they read them from.
constexpr size_t kMaxDriveRoots = 15;
constexpr size_t kDriveStringChars = 127;

// The roots in a drive string buffer (roots separated by NUL, ended by an empty one), in list
// order, at most kMaxDriveRoots; a root cut off by the end of the buffer is dropped.
std::vector<std::string> ParseDriveStrings(const char* buffer, size_t chars);

enum class DriveType : uint32_t { Unknown = 0, NoRoot = 1, Removable = 2, Fixed = 3, Remote = 4, CdRom = 5, RamDisk = 6 };

// The drive interface of the drive-based targets: the production implementation is the Win32 one.
class DriveList {
public:
    virtual ~DriveList() = default;
    virtual std::vector<std::string> Roots() = 0;
    virtual DriveType TypeOf(const std::string& root) = 0;
};

// The fixed drives of the list, in list order.
std::vector<std::string> FixedDriveRoots(DriveList& drives);

// The recycle folder of a drive root (with its backslash), with a trailing backslash:
// "$Recycle.Bin" when it exists (current Windows), else "RECYCLER" when it exists, else "RECYCLED"
// when isRecycledFolder confirms that it is the system's (a user's own "Recycled" folder on a data
// drive must never be emptied); empty when the drive has none of them.
std::string ChooseRecycleFolder(const std::string& root, const std::function<bool(const std::string&)>& isFolder,
                                const std::function<bool(const std::string&)>& isRecycledFolder);

// Whether a desktop.ini text gives its folder the recycle bin's class
// ({645FF040-5081-101B-9F08-00AA002F954E}), compared without case.
[[nodiscard]] bool DesktopIniNamesRecycleBin(const std::string& text);

// Whether a subfolder of a per-user recycle folder belongs to the user of the given SID string
// (compared without case). Only that subfolder is walked: other accounts' recycled files stay.
[[nodiscard]] bool IsOwnRecycleSubfolder(const std::string& subfolder, const std::string& sid);

// The two bookkeeping files of an older recycle folder are not traces: the counts are reduced
// by two files, and when no file is left the bytes go as well.
void ApplyBookkeepingAdjustment(RunCounters& counters);

// Whether a file is bookkeeping of the folder ("desktop.ini" of $Recycle.Bin and its user
// subfolders), compared without case.
[[nodiscard]] bool IsRecycleBookkeeping(const std::string& fileName);
