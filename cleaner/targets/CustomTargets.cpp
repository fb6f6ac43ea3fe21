#include "targets/CustomTargets.h"

#include "platform/AtomicFileWriter.h"
#include "platform/Text.h"
#include "targets/AnsiStoredText.h"
#include "targets/BinaryFile.h"
#include "targets/CustomTargetsFormat.h"
#include "targets/PluginFiles.h"

#include <windows.h>

namespace {
// Far above any real set of custom targets; a larger file is not read into memory.
constexpr uint64_t kMaxFileBytes = 64u * 1024u * 1024u;
}  // namespace

std::string CustomTargetsStore::FilePath(const std::string& folder) {
    return folder + "\\CustomTargets.tgs";
}

std::string CustomTargetsStore::BackupPath(const std::string& folder) { return FilePath(folder) + ".bak"; }

size_t CustomTargetsStore::Load(TargetCatalog& catalog, const std::string& folder) {
    const std::string path = FilePath(folder);
    if (::GetFileAttributesW(SystemPath(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
        DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return 0;
        incomplete_ = true;
        return 0;
    }
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read) || file.Size() > kMaxFileBytes) {
        incomplete_ = true;
        return 0;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
    if (!bytes.empty() && file.Read(bytes.data(), bytes.size()) != bytes.size()) {
        incomplete_ = true;
        return 0;
    }
    DecodedCustomTargets decoded = DecodeCustomTargets(bytes, AnsiCodePageText());
    if (!decoded.complete) incomplete_ = true;
    for (const TargetRecord& r : decoded.records) {
        auto target = TargetFromRecord(r, EntrySource::CustomTarget);
        // An entry this program cannot hold would be missing from the next save.
        if (target->EntryCount() != r.entries.size()) incomplete_ = true;
        catalog.AddTarget(std::move(target));
    }
    return decoded.records.size();
}

CustomTargetsStore::SaveResult CustomTargetsStore::Save(const TargetCatalog& catalog, const std::string& folder) {
    if (incomplete_ && !changed_) return SaveResult::KeptIncompleteFile;
    std::vector<TargetRecord> records;
    const int start = catalog.CustomStart() < 0 ? 0 : catalog.CustomStart();
    for (size_t i = static_cast<size_t>(start); i < catalog.TargetCount(); ++i) {
        auto record = RecordFromTarget(catalog.TargetAt(i));
        if (!record) return SaveResult::Refused;
        records.push_back(std::move(*record));
    }
    std::vector<uint8_t> bytes;
    if (EncodeCustomTargets(records, bytes, AnsiCodePageText()) != RecordWriteResult::Ok) return SaveResult::Refused;
    if (incomplete_ && !KeepUnreadableFile(folder)) return SaveResult::KeptIncompleteFile;
    if (!ReplaceFileContents(FilePath(folder), bytes.data(), bytes.size())) return SaveResult::WriteFailed;
    // The file now holds what the user has: later saves may write again.
    incomplete_ = false;
    return SaveResult::Written;
}

bool CustomTargetsStore::KeepUnreadableFile(const std::string& folder) {
    if (keptBackup_) return true;
    const std::wstring path = SystemPath(FilePath(folder));
    const std::wstring backup = SystemPath(BackupPath(folder));
    if (path.empty() || backup.empty()) return false;
    if (!::CopyFileW(path.c_str(), backup.c_str(), FALSE)) {
        // Gone since the start: nothing is left to keep. Anything else (still held, no room for
        // the copy) keeps the file as it is, and the targets are not written this time.
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
    }
    keptBackup_ = true;
    return true;
}
