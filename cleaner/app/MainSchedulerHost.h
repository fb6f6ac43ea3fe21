#pragma once
#include "schedule/AutoKillScheduler.h"

class CDlgMain;

// The main window and the application as the scheduler sees them.
class MainSchedulerHost : public AutoKillScheduler::Host {
public:
    explicit MainSchedulerHost(CDlgMain& window) : window_(window) {}

    bool ActionRunning() override;
    bool OtherDialogOpen() override;
    void StartAutoKill() override;
    void StartUpdate() override;
    bool UpdateRunning() override;
    bool StartedAtWindowsStart() override;
    void ClearStartedAtWindowsStart() override;

private:
    CDlgMain& window_;
};

// Any dialog besides the main window is open: a skinned one (Options with its pages, About, the
// update dialog all count themselves) or the Options dialog between its creation and its first
// message.
[[nodiscard]] bool AnyOtherDialogOpen();
