// Any byte string as the uninstall log (uninst.dat), which any user process can change: it reads
// or leaves an empty log; what reads writes back and reads again to the same entries; and the
// uninstallation planned from it removes nothing outside where the installation put things: every
// file inside the installation, Desktop or Programs folder, every folder there or above the
// installation folder but never a drive root, every created key a usable subkey.
#include "config/InstallSettings.h"
#include "config/MacroTable.h"
#include "install/PathRules.h"
#include "install/UninstallLog.h"
#include "install/UninstallPlan.h"
#include "qv/MemoryStream.h"

#include <cstdlib>

namespace {
bool SameRegistry(const std::vector<setup::RegLogEntry>& a, const std::vector<setup::RegLogEntry>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].root != b[i].root || a[i].key != b[i].key || a[i].isValue != b[i].isValue || a[i].value != b[i].value)
            return false;
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QV::MemoryStream in(data, size);
    setup::UninstallLog log;
    if (!log.Read(in)) {
        if (!log.Files().empty() || !log.Folders().empty() || !log.Registry().empty()) std::abort();
        return 0;
    }
    QV::MemoryStream out;
    if (!log.Write(out)) std::abort();
    out.Seek(0, QV::SeekBegin);
    setup::UninstallLog again;
    if (!again.Read(out) || again.Files() != log.Files() || again.Folders() != log.Folders() ||
        !SameRegistry(again.Registry(), log.Registry()))
        std::abort();

    setup::UninstallScope scope;
    scope.installFolder = u"C:\\Program Files\\Tracelorn";
    scope.desktopFolder = u"C:\\Users\\user\\Desktop";
    scope.programsFolder = u"C:\\Users\\user\\Start Menu\\Programs";
    setup::InstallSettings settings;
    const setup::MacroTable macros;
    const setup::UninstallPlan plan = setup::PlanUninstall(log, scope, settings, macros);
    for (const std::u16string& file : plan.files) {
        if (!setup::IsInsideFolder(file, scope.installFolder) && !setup::IsInsideFolder(file, scope.desktopFolder) &&
            !setup::IsInsideFolder(file, scope.programsFolder))
            std::abort();
    }
    for (const std::u16string& folder : plan.folders) {
        if (setup::IsDriveRoot(folder)) std::abort();
        if (!setup::IsSameOrInsideFolder(folder, scope.installFolder) && !setup::IsInsideFolder(folder, scope.desktopFolder) &&
            !setup::IsInsideFolder(folder, scope.programsFolder) && !setup::IsInsideFolder(scope.installFolder, folder))
            std::abort();
    }
    for (const setup::RegKeyRef& key : plan.createdKeys)
        if (!setup::IsUsableSubkey(key.key)) std::abort();
    return 0;
}
