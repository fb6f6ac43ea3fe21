#pragma once
#include "engine/EntryTrust.h"
#include "platform/ProgramFolder.h"
#include "targets/PluginRecord.h"
#include "targets/Target.h"
#include "targets/TargetCatalog.h"

#include <memory>
#include <optional>
#include <string>

// Record -> Target through MakeEntry, judged as coming from `source`; a record MakeEntry refuses is
// skipped and the target keeps its other entries. The user's own targets keep a refused but
// well-formed entry as a RefusedEntry, which runs nothing and is saved back as it was.
[[nodiscard]] std::unique_ptr<Target> TargetFromRecord(const TargetRecord& record, EntrySource source);
// Target -> record through RemEntry::Record(); none when an entry has no stored form (special
// kinds never go to a file).
[[nodiscard]] std::optional<TargetRecord> RecordFromTarget(const Target& target);

// Reads a "TLP2" plug-in file; none when it cannot be opened or read. Whatever lies in the plug-in
// folders may have come from the update server, so it is judged as an updated plug-in.
[[nodiscard]] std::unique_ptr<Target> ReadTargetFile(const std::string& path,
                                                     EntrySource source = EntrySource::UpdatedPlugin);

// <folder>\STDPLUGS\<file name>.
[[nodiscard]] std::string StandardPluginPath(const std::string& fileName,
                                             const std::string& folder = ExecutableFolder());
// Appends the standard plug-in when it reads; returns whether it did.
bool LoadStandardPlugin(TargetCatalog& catalog, const std::string& fileName,
                        const std::string& folder = ExecutableFolder());
// Appends every *.tlp of <folder>\APPPLUGS that reads and whose conditions find its program here,
// the new ones sorted by name case-insensitively; returns how many were added.
size_t LoadApplicationPlugins(TargetCatalog& catalog, const std::string& folder = ExecutableFolder());

// For the update client: <folder>\STDPLUGS\<file> or <folder>\APPPLUGS\<file>; when the plug-in
// folder does not exist the result names the folder itself.
[[nodiscard]] std::string PluginFolderPath(bool standard, const std::string& fileName,
                                           const std::string& folder = ExecutableFolder());
