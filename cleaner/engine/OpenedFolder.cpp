#include "engine/OpenedFolder.h"

#include "engine/FolderGuard.h"
#include "engine/WalkRootGuard.h"
#include "platform/FileByHandle.h"
#include "platform/Text.h"

#include <windows.h>

namespace {

constexpr ACCESS_MASK kListAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
constexpr ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string WithoutTrailingSeparator(std::string path) {
    // A drive root keeps its separator: "C:" alone would name the drive's current folder.
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    return path;
}

bool IsPlainFolder(HANDLE handle) {
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof info)) return false;
    return (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

OpenedFolder OpenedFolder::OpenWalkRoot(const std::string& folder, bool volumeRootAllowed) {
    OpenedFolder opened;
    if (!IsAbsolutePath(folder)) return opened;
    const std::string given = WithoutTrailingSeparator(FullPathName(folder));
    if (given.empty()) return opened;
    FileHandle handle(::CreateFileW(SystemPath(given).c_str(), kListAccess, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return opened;
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!::GetFileInformationByHandleEx(handle.Get(), FileAttributeTagInfo, &info, sizeof info) ||
        !(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return opened;
    const std::string final = WithoutTrailingSeparator(FinalPathOf(handle.Get()));
    if (final.empty()) return opened;
    const bool fragmentRoot = volumeRootAllowed && WalkRootGuard::IsVolumeRoot(final) && WalkRootGuard::IsVolumeRoot(given);
    if (!fragmentRoot && !MayWalkOpenedFolder(given, final)) return opened;
    opened.handle_ = std::move(handle);
    opened.path_ = final;
    opened.given_ = given;
    return opened;
}

OpenedFolder OpenedFolder::OpenSubfolder(const std::string& name, bool forRemoval) const {
    OpenedFolder sub;
    std::wstring wide;
    if (!IsOpen() || !WideFromUtf8(name, wide)) return sub;
    FileHandle handle = OpenInFolder(handle_.Get(), wide, kListAccess | (forRemoval ? DELETE : 0), kShareAll,
                                     OpenAs::Folder);
    if (!handle || !IsPlainFolder(handle.Get())) return sub;
    // Where links are followed regardless (Wine), the final path shows where the open led.
    const std::string final = FinalPathOf(handle.Get());
    if (final.empty() || !SamePath(final, PathOf(name))) return sub;
    const std::string given = Joined(given_, name);
    if (!MayWalkOpenedFolder(given, final)) return sub;
    sub.handle_ = std::move(handle);
    sub.path_ = final;
    sub.given_ = given;
    return sub;
}

bool OpenedFolder::RemoveIfEmpty() {
    if (!IsOpen()) return false;
    const bool marked = MarkForDeletion(handle_.Get());
    handle_.Reset();
    return marked;
}
