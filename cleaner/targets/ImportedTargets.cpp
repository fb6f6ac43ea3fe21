#include "targets/ImportedTargets.h"

#include "engine/AsciiCase.h"
#include "engine/EntryFactory.h"
#include "platform/AtomicFileWriter.h"
#include "platform/Text.h"
#include "platform/WholeFile.h"
#include "targets/ImportStore.h"
#include "targets/ImportedExcludesEntry.h"
#include "targets/ImportedFolderEntry.h"
#include "targets/PropertyTree.h"

#include <algorithm>
#include <unordered_set>
#include <windows.h>

namespace {

std::string ReadImportFile(const std::string& path, std::string& error) {
    std::string bytes;
    switch (ReadWholeFile(path, kMaxWinappFileBytes, bytes)) {
        case WholeFileRead::Read: break;
        case WholeFileRead::TooLarge: error = "the file is larger than 16 MiB"; break;
        case WholeFileRead::Unreadable: error = "the file cannot be read"; break;
        case WholeFileRead::Missing: error = "the file cannot be opened"; break;
    }
    return bytes;
}

}  // namespace

std::unique_ptr<Target> MakeImportedTarget(const WinappTarget& t) { return MakeImportedTarget(t, ImportPlaces()); }

std::unique_ptr<Target> MakeImportedTarget(const WinappTarget& t, const EntryPlaces& places) {
    auto target = std::make_unique<Target>(t.name, "Kills what the imported entry " + t.name + " names");
    target->SetSelected(false);
    target->SetGroup(t.group);
    target->SetWarning(t.warning);
    for (const TargetCondition& c : t.conditions) target->AddCondition(c);
    // Judged again: the machine may have changed since the import.
    for (const ImportedEntry& e : EntriesOf(t)) {
        if (!JudgeImportedEntry(e, places).empty()) continue;
        std::unique_ptr<RemEntry> entry;
        if (e.file) {
            std::vector<std::string> masks = e.file->patterns;
            entry = std::make_unique<ImportedFolderEntry>(e.folders, std::move(masks), e.file->recurse,
                                                          e.file->removeSelf);
        } else {
            entry = MakeEntry(e.registry);
        }
        if (!entry) continue;
        // The target's excludes hold in each of its entries, file by file and key by key.
        if (!t.excludes.empty()) entry = std::make_unique<ImportedExcludesEntry>(std::move(entry), t.excludes);
        target->AddEntry(std::move(entry));
    }
    if (target->EntryCount() == 0) return nullptr;
    return target;
}

ImportResult ImportWinappFile(const std::string& iniPath, const std::string& folder) {
    ImportResult result;
    const std::string bytes = ReadImportFile(iniPath, result.error);
    if (!result.error.empty()) return result;
    const WinappReadResult read = ReadWinappIni(bytes, [](std::string_view ansi, std::string& out) {
        return Utf8FromAnsi(ansi, out);
    });
    if (!read.ok) return result.error = read.error, result;
    const ImportOutcome outcome = JudgeImport(read);
    MemoryStream stored;
    WriteImport(outcome.accepted, stored);
    if (!ReplaceFileContents(folder + "\\" + kImportFileName, stored.Bytes().data(), stored.Bytes().size()))
        return result.error = "the import could not be stored", result;
    std::string report = "Imported from " + iniPath + "\r\n" + std::to_string(outcome.accepted.size()) +
                         " targets kept, " + std::to_string(outcome.refusedEntries) + " entries refused\r\n\r\n";
    for (const std::string& line : outcome.refused) report += line + "\r\n";
    result.reportPath = folder + "\\" + kImportReportName;
    if (!ReplaceFileContents(result.reportPath, report)) result.reportPath.clear();
    result.ok = true;
    result.targets = outcome.accepted.size();
    result.refused = outcome.refusedEntries;
    return result;
}

size_t LoadImportedTargets(TargetCatalog& catalog, const std::string& folder, const ConditionProbe& probe) {
    // One read of the whole file: the tree's many small fields, read one system call each, would
    // cost more than everything else of the start.
    std::string error;
    const std::string bytes = ReadImportFile(folder + "\\" + kImportFileName, error);
    if (!error.empty()) return 0;
    MemoryStream in(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    // A target's name is its key in the stored selections: an imported program that shares its name
    // with a target already listed (a shipped plug-in wins) or with an earlier import stays out.
    std::unordered_set<std::string> names;
    for (size_t i = 0; i < catalog.TargetCount(); ++i) names.insert(AsciiLower(catalog.TargetAt(i).Name()));
    // Most of a large import cleans programs that are not here: their conditions are asked before
    // anything else of them is read.
    auto stored = ReadImport(in, [&](const WinappTarget& t) {
        return names.count(AsciiLower(t.name)) == 0 && IsOffered(t.conditions, probe);
    });
    if (!stored) return 0;
    std::stable_sort(stored->begin(), stored->end(), [](const WinappTarget& a, const WinappTarget& b) {
        const int g = CompareNames(a.group, b.group);
        return g != 0 ? g < 0 : CompareNames(a.name, b.name) < 0;
    });
    const ImportPlaces places;
    size_t added = 0;
    for (const WinappTarget& t : *stored) {
        if (!names.insert(AsciiLower(t.name)).second) continue;
        if (auto target = MakeImportedTarget(t, places)) {
            catalog.AddTarget(std::move(target));
            ++added;
        }
    }
    return added;
}

bool RemoveImportedTargets(const std::string& folder) {
    bool gone = true;
    for (const char* name : {kImportFileName, kImportReportName}) {
        const std::wstring path = SystemPath(folder + "\\" + name);
        if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) gone = false;
    }
    return gone;
}