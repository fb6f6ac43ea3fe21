#include "engine/FolderCheck.h"

#include "archive/EntryName.h"
#include "install/InstalledPaths.h"
#include "install/UpdateJournal.h"
#include "install/PathRules.h"
#include "win/FileStream.h"
#include "win/Handles.h"
#include "win/TreeFile.h"
#include "win/WideText.h"

#include <shlwapi.h>

namespace setup {

namespace {

// Enough for any installation of ours with its fetched plug-ins; a larger tree is not one.
constexpr size_t kMaxEntries = 20000;

bool FindForeignBelow(const OwnershipRules& rules, const std::u16string& relative, size_t& seen,
                      std::u16string& foreign) {
    const std::u16string base = relative.empty() ? rules.folder : rules.folder + u"\\" + relative;
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileW((ToWide(base) + L"\\*").c_str(), &data));
    if (!find) return false;
    do {
        const std::u16string name = FromWide(data.cFileName);
        if (name == u"." || name == u"..") continue;
        const std::u16string child = relative.empty() ? name : relative + u"\\" + name;
        if (++seen > kMaxEntries || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            foreign = child;
            return true;
        }
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (FindForeignBelow(rules, child, seen, foreign)) return true;
        } else if (!IsOurFile(rules, child)) {
            foreign = child;
            return true;
        }
    } while (::FindNextFileW(find.Get(), &data));
    return false;
}

}  // namespace

bool ReadFolderLog(const std::u16string& folder, UninstallLog& log) {
    const auto path = JoinPath(folder, u"uninst.dat");
    QV::FileStream file;
    return path && file.OpenRead(*path) && log.Read(file);
}

OwnershipRules FolderRules(const InstallSettings& settings, const std::u16string& folder, const UninstallLog* earlier) {
    OwnershipRules rules{TrimSeparators(folder), earlier, settings.Uninst().files, {}, false};
    QV::TreeNode tree;
    UpdateJournal journal;
    const auto path = JoinPath(rules.folder, kJournalName);
    if (path && LoadTreeFile(*path, tree) && DecodeJournal(tree, journal)) {
        rules.hasJournal = true;
        rules.journalNames = journal.names;
    }
    return rules;
}

std::optional<std::u16string> FindForeignFile(const OwnershipRules& rules) {
    size_t seen = 0;
    std::u16string foreign;
    if (FindForeignBelow(rules, u"", seen, foreign)) return foreign;
    return std::nullopt;
}

std::vector<std::u16string> MatchingFiles(const std::u16string& pattern) {
    std::vector<std::u16string> files;
    const std::u16string folder = ParentFolder(pattern);
    WIN32_FIND_DATAW data;
    FindHandle find(::FindFirstFileW(ToWide(pattern).c_str(), &data));
    if (!find) return files;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (auto path = JoinPath(folder, FromWide(data.cFileName))) files.push_back(*path);
    } while (::FindNextFileW(find.Get(), &data));
    return files;
}

void RecordKeptFiles(const InstallSettings& settings, const std::u16string& folder, UninstallLog& log) {
    if (log.HasKeptRecord()) return;
    log.StartKeptRecord();
    for (const std::u16string& pattern : settings.Uninst().files) {
        if (!IsContainedRelativePath(pattern)) continue;
        const auto path = JoinPath(folder, pattern);
        if (!path) continue;
        for (const std::u16string& file : MatchingFiles(*path)) {
            if (!log.HasFile(file)) log.AddKept(file);
        }
    }
}

FolderCheck CheckInstallFolder(const InstallSettings& settings, const std::u16string& folder) {
    FolderCheck check;
    if (folder.size() <= 2 || folder.size() >= kMaxPath) return check;
    const std::wstring wide = ToWide(folder);
    wchar_t root[MAX_PATH];
    lstrcpynW(root, wide.c_str(), MAX_PATH);
    if (!::PathStripToRootW(root) || ::PathIsRootW(wide.c_str())) return check;
    if (::GetDriveTypeW(root) != DRIVE_FIXED) return check;
    // No drive-relative or otherwise odd path, and room for the longest installed path.
    if (!IsAbsoluteFolder(folder) || IsDriveRoot(folder)) return check;
    if (!FitsInstalledPaths(folder, LongestInstalledName(settings))) return check;
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // A file where the folder should be is not ours either.
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            check.verdict = FolderVerdict::NotOurs;
            check.foreign.clear();
            return check;
        }
        UninstallLog earlier;
        const bool ours = ReadFolderLog(folder, earlier);
        if (auto foreign = FindForeignFile(FolderRules(settings, folder, ours ? &earlier : nullptr))) {
            check.verdict = FolderVerdict::NotOurs;
            check.foreign = *foreign;
            return check;
        }
    }
    check.verdict = FolderVerdict::Usable;
    ULARGE_INTEGER available{}, total{}, totalFree{};
    if (::GetDiskFreeSpaceExW(root, &available, &total, &totalFree)) check.freeBytes = totalFree.QuadPart;
    return check;
}

}  // namespace setup
