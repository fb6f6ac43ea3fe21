#include "engine/RecycleFolderEntry.h"

#include "engine/AsciiCase.h"
#include "engine/FolderGuard.h"
#include "engine/FolderWalk.h"
#include "engine/FoundItems.h"
#include "engine/RecycleRules.h"
#include "platform/FileByHandle.h"
#include "platform/Handles.h"
#include "platform/Text.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <optional>

namespace {

WalkOptions Walk(bool recurse) {
    WalkOptions options;
    options.recurse = recurse;
    return options;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

DWORD AttributesOf(const std::string& path) {
    const std::wstring wide = SystemPath(path);
    return wide.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide.c_str());
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The first few KiB of a small file: desktop.ini names its class near the top.
std::string ReadHead(const std::string& path) {
    FileHandle file(::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    char buffer[4096];
    DWORD read = 0;
    if (!::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr)) return {};
    return std::string(buffer, read);
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

// The bookkeeping files at the top of the walked folder (desktop.ini; INFO2 or INFO in the older
// folders) are the bin's own, not the user's recycled files: they stay out of the details.
class WithoutBookkeeping : public FoundItems {
public:
    WithoutBookkeeping(FoundItems& outer, const std::string& walked, bool olderFolder)
        : outer_(outer), top_(WithoutTrailingSeparator(CanonicalPath(walked))), olderFolder_(olderFolder) {}
    void Add(const FoundItem& item) override {
        if (item.kind == FoundItem::Kind::File && IsBookkeeping(item.name) &&
            SamePath(WithoutTrailingSeparator(item.place), top_))
            return;
        outer_.Add(item);
    }

private:
    bool IsBookkeeping(const std::string& name) const {
        if (IsRecycleBookkeeping(name)) return true;
        return olderFolder_ && (SamePath(name, "INFO2") || SamePath(name, "INFO"));
    }
    FoundItems& outer_;
    const std::string top_;
    const bool olderFolder_;
};

// The details of one recycle folder's walk, while someone collects them.
class RecycleDetails {
public:
    RecycleDetails(const std::string& walked, bool olderFolder) {
        if (FoundItems* outer = CurrentFoundItems()) {
            filter_.emplace(*outer, walked, olderFolder);
            scope_.emplace(&*filter_);
        }
    }

private:
    std::optional<WithoutBookkeeping> filter_;
    std::optional<FoundItemsScope> scope_;
};

}  // namespace

bool IsMarkedRecycleFolder(const std::string& folder) {
    const DWORD attributes = AttributesOf(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    if (!(attributes & (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN))) return false;
    const std::string inside = folder + "\\";
    if (IsFile(inside + "INFO2") || IsFile(inside + "INFO")) return true;
    return DesktopIniNamesRecycleBin(ReadHead(inside + "desktop.ini"));
}

RecycleFolderEntry::RecycleFolderEntry(std::string root, std::string folder, std::string userSid,
                                       std::shared_ptr<RecycleBinShell> shell)
    : RemEntry(RemKind::FolderFiles), root_(std::move(root)), folder_(std::move(folder)),
      sid_(std::move(userSid)), shell_(std::move(shell)) {
    if (!folder_.empty() && folder_.back() != '\\') folder_ += '\\';
    const std::string lower = AsciiLower(folder_);
    perUserBin_ = EndsWith(lower, "\\$recycle.bin\\");
    perUser_ = perUserBin_ || EndsWith(lower, "\\recycler\\");
}

std::string RecycleFolderEntry::WalkFolder() const {
    if (folder_.empty()) return std::string();
    if (!perUser_) return folder_;
    if (sid_.empty()) return std::string();
    const std::string own = folder_ + sid_ + "\\";
    return IsFolder(own) ? own : std::string();
}

void RecycleFolderEntry::Adjust(RunCounters& counters) const {
    // $Recycle.Bin's bookkeeping (desktop.ini) is taken off by name; the older folders keep two
    // bookkeeping files (INFO2 or INFO, desktop.ini), taken off the counts as two files whatever
    // they are named. Their details leave those files out by name, so in an older folder the
    // details can differ from the counts by the two files' bytes.
    if (!perUserBin_) ApplyBookkeepingAdjustment(counters);
}

void RecycleFolderEntry::Scan() {
    const std::string walked = WalkFolder();
    RunCounters found;
    if (!walked.empty()) {
        {
            const RecycleDetails details(walked, !perUserBin_);
            ScanFolder(walked, std::string(), Walk(true), found);
        }
        if (perUserBin_) {
            // desktop.ini is the folder's own bookkeeping, not a recycled file.
            RunCounters bookkeeping;
            const FoundItemsScope uncollected(nullptr);
            ScanFolder(walked, "desktop.ini", Walk(false), bookkeeping);
            found.files -= std::min(found.files, bookkeeping.files);
            found.bytes -= std::min(found.bytes, bookkeeping.bytes);
        }
        Adjust(found);
    }
    AddFiles(found.files, found.bytes);
    MarkScanned();
}

void RecycleFolderEntry::Kill() {
    if (!shell_ || !shell_->HasItems(root_)) return;
    const std::string walked = WalkFolder();
    RunCounters removed;
    if (!walked.empty()) {
        RunCounters bookkeeping;
        if (perUserBin_) {
            const FoundItemsScope uncollected(nullptr);
            ScanFolder(walked, "desktop.ini", Walk(false), bookkeeping);
        }
        {
            const RecycleDetails details(walked, !perUserBin_);
            KillFolder(walked, std::string(), Walk(true), removed);
        }
        removed.files -= std::min(removed.files, bookkeeping.files);
        removed.bytes -= std::min(removed.bytes, bookkeeping.bytes);
        Adjust(removed);
    }
    shell_->Empty(root_);
    AddFiles(removed.files, removed.bytes);
    MarkKilled();
}
