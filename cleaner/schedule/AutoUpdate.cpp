#include "schedule/AutoUpdate.h"

#include "platform/ProgramFolder.h"
#include "schedule/UpdateProtocol.h"
#include "schedule/UpdateWorker.h"
#include "targets/TargetCatalog.h"

AutoUpdate::AutoUpdate(TargetCatalog& catalog, std::function<void(const std::string&)> showBalloon)
    : catalog_(catalog), showBalloon_(std::move(showBalloon)) {}

bool AutoUpdate::Start(HWND window) {
    if (update_worker::Running()) return false;
    const std::string folder = catalog_.ProgramFolder().empty() ? ExecutableFolder() : catalog_.ProgramFolder();
    return update_worker::Start(
        UpdateJob{window, folder, UpdateBaseAddress(catalog_.SettingsPath()), catalog_.SettingsPath()});
}

bool AutoUpdate::OnNotification(HWND window, WPARAM code, LPARAM value) {
    if (!update_worker::IsOwnNotification(window) || !update::IsKnownCode(static_cast<uint32_t>(code))) return false;
    switch (code) {
        case update::kFileBegins: (void)update_worker::TakeFileName(value); break;  // deleted here
        case update::kSucceeded:
            catalog_.MarkLastUpdateCheckNow();
            if (catalog_.Settings().autoUpdateNotify && showBalloon_)
                showBalloon_(update::SucceededText(static_cast<uint32_t>(value)));
            break;
        case update::kNothingToFetch: catalog_.MarkLastUpdateCheckNow(); break;
        default: break;  // failures are tried again at the next hourly check
    }
    return true;
}

void AutoUpdate::RequestStop() {
    if (update_worker::Running()) update_worker::RequestStop();
}
