#pragma once
// Update mode's only window: a progress bar and a line, while the worker updates in place.
#include "engine/Progress.h"
#include "engine/SetupSession.h"
#include "wizard/Dialog.h"

#include <atomic>

namespace setup {

class CUpdateDlg : public CDialog, public Progress {
public:
    explicit CUpdateDlg(SetupSession& session) : session_(session) {}
    int Run();

    void SetRange(uint32_t steps) override;
    void Status(const std::u16string& line, bool step) override;
    void Finished(WorkResult result) override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    static DWORD WINAPI WorkerEntry(void* self);
    SetupSession& session_;
    int steps_ = 0;
};

}  // namespace setup
