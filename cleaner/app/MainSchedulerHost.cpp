#include "app/MainSchedulerHost.h"

#include "app/CleanerApp.h"
#include "app/DlgMain.h"
#include "dialogs/DlgAbout.h"
#include "dialogs/DlgOptions.h"
#include "schedule/UpdateWorker.h"
#include "skin/MyDialog.h"

bool AnyOtherDialogOpen() {
    return CMyDialog::OpenCount() > 1 || CDlgOptions::OpenDialog() != nullptr || CDlgAbout::OpenDialog() != nullptr;
}

bool MainSchedulerHost::ActionRunning() { return window_.Driver().Busy(); }
bool MainSchedulerHost::OtherDialogOpen() { return AnyOtherDialogOpen(); }
void MainSchedulerHost::StartAutoKill() { window_.StartAutoKill(); }
void MainSchedulerHost::StartUpdate() { (void)window_.StartAutoUpdate(); }
bool MainSchedulerHost::UpdateRunning() { return update_worker::Running(); }

bool MainSchedulerHost::StartedAtWindowsStart() {
    const CCleanerApp* app = CCleanerApp::Current();
    return app && app->StartedAtWindowsStart();
}

void MainSchedulerHost::ClearStartedAtWindowsStart() {
    if (CCleanerApp* app = CCleanerApp::Current()) app->ClearStartedAtWindowsStart();
}
