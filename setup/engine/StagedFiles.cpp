#include "engine/StagedFiles.h"

#include "archive/Descramble.h"
#include "archive/EntryName.h"
#include "install/PathRules.h"
#include "install/UpdateJournal.h"
#include "win/FileStream.h"
#include "win/TreeFile.h"
#include "win/WideText.h"

#include <shlobj.h>

#include <cstdlib>

namespace setup {

namespace {

constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

bool Exists(const std::u16string& path) { return ::GetFileAttributesW(ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

std::u16string StagedName(const std::u16string& path) { return path + kStagedSuffix; }

std::u16string JournalPath(const std::u16string& folder) { return folder + u"\\" + kJournalName; }

// Moves the staged file over its target, whatever attributes the old one carried.
bool Replace(const std::u16string& target) {
    const std::wstring wide = ToWide(target);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                                FILE_ATTRIBUTE_SYSTEM))) {
        ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    return ::MoveFileExW(ToWide(StagedName(target)).c_str(), wide.c_str(), kReplace) != 0;
}

// The tests' stand-in for a power cut: TL_SETUP_FAULT_AFTER_REPLACE=N ends the process at once
// after the Nth replacement, on the same path every run takes.
void FaultPointAfterReplace() {
    static int remaining = [] {
        const wchar_t* value = _wgetenv(L"TL_SETUP_FAULT_AFTER_REPLACE");
        return value ? _wtoi(value) : 0;
    }();
    if (remaining > 0 && --remaining == 0) ::TerminateProcess(::GetCurrentProcess(), 99);
}

}  // namespace

bool SaveTreeAtomically(const QV::TreeNode& tree, const std::u16string& path, const std::u16string& temporary) {
    QV::MemoryStream buffer;
    if (!tree.Write(buffer)) return false;
    {
        QV::FileStream file;
        if (!file.OpenWrite(temporary)) return false;
        const size_t size = size_t(buffer.Size());
        if (file.Write(buffer.Data(), size) != size || !::FlushFileBuffers(file.Handle())) {
            file.Close();
            ::DeleteFileW(ToWide(temporary).c_str());
            return false;
        }
    }
    if (!::MoveFileExW(ToWide(temporary).c_str(), ToWide(path).c_str(), kReplace)) {
        ::DeleteFileW(ToWide(temporary).c_str());
        return false;
    }
    return true;
}

bool SettleInterruptedUpdate(const std::u16string& folder, std::u16string& error, bool undo) {
    const std::u16string journalPath = JournalPath(folder);
    if (!Exists(journalPath)) return true;
    QV::TreeNode tree;
    UpdateJournal journal;
    // Written in one step, so a journal that does not read is not one of ours: it stays.
    if (!LoadTreeFile(journalPath, tree) || !DecodeJournal(tree, journal)) {
        error = journalPath;
        return false;
    }
    for (const std::u16string& name : journal.names) {
        const auto target = JoinPath(folder, name);
        if (!target) continue;
        const std::u16string staged = StagedName(*target);
        if (!Exists(staged)) continue;
        const bool settled = journal.ready && !undo ? Replace(*target) : ::DeleteFileW(ToWide(staged).c_str()) != 0;
        if (!settled) {
            error = *target;
            return false;
        }
    }
    if (!::DeleteFileW(ToWide(journalPath).c_str())) {
        error = journalPath;
        return false;
    }
    return true;
}

void StagedFiles::Plan(const QV::TreeNode& list, const std::u16string& prefix) {
    for (const auto& [rawName, property] : list.Properties()) {
        if (property->Type() != QV::TypeWideString) continue;
        const std::u16string name = prefix + FromAnsiCodePage(rawName);
        if (!IsContainedRelativePath(name)) {
            report_.Failed(name);
            continue;
        }
        planned_.push_back(Planned{name, property->Wide()});
    }
    for (const auto& [rawName, child] : list.Children()) {
        const std::u16string name = prefix + FromAnsiCodePage(rawName);
        if (!IsContainedRelativePath(name)) {
            report_.Failed(name);
            continue;
        }
        Plan(*child, name + u"\\");
    }
}

bool StagedFiles::SaveJournal(bool ready) const {
    UpdateJournal journal;
    journal.ready = ready;
    for (const Planned& file : planned_) journal.names.push_back(file.name);
    QV::TreeNode tree;
    EncodeJournal(journal, tree);
    const std::u16string path = JournalPath(folder_);
    return SaveTreeAtomically(tree, path, path + u".new");
}

// Creates the installation folder and the subfolders on the way to a file; the installation
// folder is always logged (removed when it ends up empty), a subfolder only when created here.
bool StagedFiles::CreateFolders(const std::u16string& relativeFolder) {
    std::u16string current = folder_;
    size_t start = 0;
    for (;;) {
        const bool existed = Exists(current);
        // The installation folder may need its parents too.
        if (!existed && start == 0) ::SHCreateDirectoryExW(nullptr, ToWide(current).c_str(), nullptr);
        if (!existed && !Exists(current) && !::CreateDirectoryW(ToWide(current).c_str(), nullptr)) {
            report_.Failed(current);
            return false;
        }
        if (!existed) {
            report_.LogFolder(current);
            report_.Status(texts_.output + u" " + current, false);
        }
        if (start >= relativeFolder.size()) return true;
        size_t end = relativeFolder.find(u'\\', start);
        if (end == std::u16string::npos) end = relativeFolder.size();
        current += u"\\" + relativeFolder.substr(start, end - start);
        start = end + 1;
    }
}

bool StagedFiles::StageOne(const Planned& file) {
    report_.Status(texts_.extract + u" " + file.name, true);
    const auto target = JoinPath(folder_, file.name);
    ZipEntry entry;
    if (!target || target->size() + 6 >= kMaxPath || !archive_.Find(file.member, true, entry)) {
        report_.Failed(target.value_or(file.name));
        return false;
    }
    // What is there and not ours stays as it is.
    if (Exists(*target) && !IsOurFile(ours_, file.name)) {
        report_.Failed(*target);
        return false;
    }
    if (!CreateFolders(ParentFolder(file.name))) return false;
    const std::u16string staged = StagedName(*target);
    ::SetFileAttributesW(ToWide(staged).c_str(), FILE_ATTRIBUTE_NORMAL);
    const ZipResult result = archive_.UnzipToFile(entry, staged, true);
    const bool ok = result == ZipResult::Ok && (!HasListedExtension(file.name, crypt_) || DescrambleFile(staged));
    if (!ok) {
        ::SetFileAttributesW(ToWide(staged).c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(ToWide(staged).c_str());
        report_.Failed(*target);
        return false;
    }
    report_.LogFile(*target);
    return true;
}

bool StagedFiles::Stage(const QV::TreeNode& files) {
    planned_.clear();
    staged_.clear();
    Plan(files, u"");
    if (!CreateFolders(u"")) return false;
    report_.LogFolder(folder_);
    report_.Status(texts_.output + u" " + folder_, false);
    if (!SaveJournal(false)) {
        report_.Failed(JournalPath(folder_));
        return false;
    }
    std::vector<Planned> complete;
    for (const Planned& file : planned_) {
        if (StageOne(file)) complete.push_back(file);
    }
    planned_ = std::move(complete);
    for (const Planned& file : planned_) staged_.push_back(file.name);
    if (!SaveJournal(true)) {
        std::u16string ignored;
        (void)SettleInterruptedUpdate(folder_, ignored);
        report_.Failed(JournalPath(folder_));
        return false;
    }
    return true;
}

bool StagedFiles::Commit(const std::u16string& exe) {
    for (const std::u16string& name : ReplacementOrder(staged_, exe)) {
        const auto target = JoinPath(folder_, name);
        if (!target || !Replace(*target)) {
            report_.Failed(target.value_or(name));
            return false;
        }
        FaultPointAfterReplace();
    }
    if (!::DeleteFileW(ToWide(JournalPath(folder_)).c_str())) {
        report_.Failed(JournalPath(folder_));
        return false;
    }
    return true;
}

}  // namespace setup
