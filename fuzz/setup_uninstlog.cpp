// Fuzzes the uninstall log as the uninstaller reads it: any bytes must load cleanly or fail cleanly,
// and whatever loads must only ever produce a plan that stays inside the installation's folders.
#include "config/InstallSettings.h"
#include "install/PathRules.h"
#include "install/UninstallLog.h"
#include "install/UninstallPlan.h"
#include "qv/MemoryStream.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QV::MemoryStream in(data, size);
    setup::UninstallLog log;
    if (!log.Read(in)) return 0;
    log.AddFile(u"C:\\App\\extra.txt");
    log.AddCreatedKey(1, u"Software\\Q");
    static const setup::InstallSettings settings;
    const setup::UninstallScope scope{u"C:\\Data\\Q\\App", u"C:\\Users\\u\\Desktop", u"C:\\Users\\u\\Programs"};
    const setup::UninstallPlan plan = setup::PlanUninstall(log, scope, settings, setup::MacroTable());
    for (const std::u16string& file : plan.files) {
        if (!setup::IsInsideFolder(file, scope.installFolder) && !setup::IsInsideFolder(file, scope.desktopFolder) &&
            !setup::IsInsideFolder(file, scope.programsFolder)) {
            std::abort();
        }
    }
    for (const std::u16string& folder : plan.folders) {
        if (setup::IsDriveRoot(folder) || !setup::IsAbsoluteFolder(folder)) std::abort();
    }
    // The settings name no key, so no logged key or value may be trusted.
    if (!plan.createdKeys.empty() || !plan.values.empty()) std::abort();
    return 0;
}
