#pragma once
#include <optional>
#include <string>
#include <unordered_map>

// Whether a file lies on a solid-state volume. On flash, a per-file overwrite reaches other cells
// than the ones holding the old data (the drive remaps every write), so it sanitises nothing and
// only adds wear; deleting is as good there. The system answers through its storage properties
// (seek penalty, trim); a volume that gives no answer counts as rotating, so the overwrite stays.

struct VolumeFacts {
    std::optional<bool> seekPenalty;  // the device has a seek penalty: rotating
    std::optional<bool> trims;        // the device takes trim commands: flash
};

// No seek penalty means flash; without that answer, trim decides; without either, rotating.
bool IsSolidState(const VolumeFacts& facts);

// The seam to the system's storage query; the Win32 one is the only production implementation.
class VolumeMediaQuery {
public:
    virtual ~VolumeMediaQuery() = default;
    // The facts of the volume that holds path (a file or folder).
    virtual VolumeFacts FactsOf(const std::string& path) = 0;
};

namespace volume_media {

// The query the engine asks; none (the default) answers rotating for every volume.
void SetQuery(VolumeMediaQuery* query);
// Forgets what earlier runs learned: a run asks each folder's volume once.
void BeginRun();
// Whether the file's volume is solid-state (asked once per folder during a run).
[[nodiscard]] bool OnSolidState(const std::string& filePath);
// The same, asked now and not kept: for a window, while a run may be asking from its worker.
[[nodiscard]] bool AskSolidState(const std::string& folder);
// Whether a secure Kill leaves this file's contents as they are and only deletes it: the user
// chose to skip overwriting on solid-state drives and the file lies on one.
[[nodiscard]] bool SkipsOverwrite(const std::string& filePath);

// Counts the files of the current thread's target that were deleted without their overwrite.
class SkipCountScope {
public:
    SkipCountScope();
    ~SkipCountScope();
    SkipCountScope(const SkipCountScope&) = delete;
    SkipCountScope& operator=(const SkipCountScope&) = delete;
    int Count() const { return count_; }

private:
    friend void NoteOverwriteSkipped();
    SkipCountScope* outer_;
    int count_ = 0;
};
void NoteOverwriteSkipped();

}  // namespace volume_media
