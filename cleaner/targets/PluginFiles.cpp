#include "targets/PluginFiles.h"

#include "engine/EntryFactory.h"
#include "platform/Handles.h"
#include "platform/Text.h"
#include "targets/AnsiStoredText.h"
#include "targets/BinaryFile.h"
#include "targets/ImportedTargets.h"
#include "targets/PropertyTree.h"

#include <algorithm>
#include <windows.h>

std::unique_ptr<Target> TargetFromRecord(const TargetRecord& record, EntrySource source) {
    auto target = std::make_unique<Target>(record.name, record.description);
    target->SetSelected(record.active);
    target->SetStamp(record.stamp[0], record.stamp[1], record.stamp[2]);
    for (const EntryRecord& e : record.entries) {
        EntryVerdict verdict;
        if (auto entry = MakeEntry(e, source, &verdict)) target->AddEntry(std::move(entry));
        else if (source == EntrySource::CustomTarget && IsTrustedEntryRecord(e))
            target->AddEntry(std::make_unique<RefusedEntry>(e, verdict.reason));
    }
    for (const TargetCondition& c : record.conditions) target->AddCondition(c);
    return target;
}

std::optional<TargetRecord> RecordFromTarget(const Target& target) {
    TargetRecord r;
    r.name = target.Name();
    r.description = target.Description();
    r.active = target.Selected();
    r.stamp = {target.Stamp()[0], target.Stamp()[1], target.Stamp()[2], 0};
    for (size_t i = 0; i < target.EntryCount(); ++i) {
        const EntryRecord* e = target.Entry(i).Record();
        if (!e) return std::nullopt;
        r.entries.push_back(*e);
    }
    r.conditions = target.Conditions();
    return r;
}

std::unique_ptr<Target> ReadTargetFile(const std::string& path, EntrySource source) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read)) return nullptr;
    auto record = ReadTargetRecord(file, AnsiCodePageText());
    if (!record) return nullptr;
    return TargetFromRecord(*record, source);
}

std::string StandardPluginPath(const std::string& fileName, const std::string& folder) {
    return folder + "\\STDPLUGS\\" + fileName;
}

bool LoadStandardPlugin(TargetCatalog& catalog, const std::string& fileName, const std::string& folder) {
    auto target = ReadTargetFile(StandardPluginPath(fileName, folder));
    if (!target) return false;
    catalog.AddTarget(std::move(target));
    return true;
}

size_t LoadApplicationPlugins(TargetCatalog& catalog, const std::string& folder) {
    const std::string dir = folder + "\\APPPLUGS\\";
    std::vector<std::unique_ptr<Target>> found;
    const Win32ConditionProbe probe;
    WIN32_FIND_DATAW data;
    UniqueHandle<FindHandleTraits> find(::FindFirstFileW(SystemPath(dir + "*.tlp").c_str(), &data));
    if (find) {
        do {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            std::string name;
            if (!Utf8FromWide(TrimNul(data.cFileName), name)) continue;
            // Offered only where the program its conditions look for is present; those of an
            // absent program are not made at all, which spares judging their entries.
            BinaryFile file;
            if (!file.Open(dir + name, BinaryFile::Mode::Read)) continue;
            const auto record = ReadTargetRecord(file, AnsiCodePageText());
            if (record && IsOffered(record->conditions, probe))
                found.push_back(TargetFromRecord(*record, EntrySource::UpdatedPlugin));
        } while (::FindNextFileW(find.Get(), &data));
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return CompareNames(a->Name(), b->Name()) < 0;
    });
    const size_t added = found.size();
    for (auto& t : found) catalog.AddTarget(std::move(t));
    return added;
}

std::string PluginFolderPath(bool standard, const std::string& fileName, const std::string& folder) {
    std::string dir = folder + (standard ? "\\STDPLUGS" : "\\APPPLUGS");
    DWORD attributes = ::GetFileAttributesW(SystemPath(dir).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return dir;
    return dir + "\\" + fileName;
}
