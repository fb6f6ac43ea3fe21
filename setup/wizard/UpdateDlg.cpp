#include "wizard/UpdateDlg.h"

#include "engine/Workers.h"
#include "win/Handles.h"
#include "win/WideText.h"
#include "wizard/WizardIds.h"

#include <commctrl.h>

namespace setup {

namespace {

constexpr UINT kDoneMessage = WM_APP + 1;
constexpr UINT kStepMessage = WM_APP + 2;
constexpr UINT kRangeMessage = WM_APP + 3;

}  // namespace

int CUpdateDlg::Run() {
    const INT_PTR code = DoModal(nullptr, IDD_UPDATE);
    return code < 0 ? kExitFailed : int(code);
}

BOOL CUpdateDlg::OnInitDialog() {
    const LanguageSet& l = session_.Languages();
    ::SetWindowTextW(Handle(), ToWide(l.Text("DUP")).c_str());
    SetItemText(IDC_STATUS, ToWide(l.ItemText("DUP", std::to_string(IDC_STATUS))).c_str());
    session_.busy = true;
    KernelHandle worker(::CreateThread(nullptr, 0, WorkerEntry, this, 0, nullptr));
    if (!worker) {
        session_.busy = false;
        ::EndDialog(Handle(), kExitFailed);
    }
    return TRUE;
}

DWORD WINAPI CUpdateDlg::WorkerEntry(void* self) {
    auto* dialog = static_cast<CUpdateDlg*>(self);
    try {
        RunInstallation(dialog->session_, *dialog);
    } catch (...) {
        EndWork(dialog->session_, *dialog, WorkResult::Failed);
    }
    return 0;
}

void CUpdateDlg::SetRange(uint32_t steps) { ::SendMessageW(Handle(), kRangeMessage, steps, 0); }

void CUpdateDlg::Status(const std::u16string&, bool step) {
    if (step) ::SendMessageW(Handle(), kStepMessage, 0, 0);
}

void CUpdateDlg::Finished(WorkResult result) { ::PostMessageW(Handle(), kDoneMessage, WPARAM(result), 0); }

bool CUpdateDlg::OnCommand(int id, int, HWND) {
    // Neither Escape nor the close box stops an update halfway.
    return id == IDCANCEL || id == IDOK;
}

INT_PTR CUpdateDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    switch (message) {
    case kRangeMessage:
        handled = true;
        ::SendMessageW(Item(IDC_PROGRESS), PBM_SETRANGE32, 0, LPARAM(wParam));
        return 0;
    case kStepMessage:
        handled = true;
        ::SendMessageW(Item(IDC_PROGRESS), PBM_SETPOS, WPARAM(++steps_), 0);
        return 0;
    case kDoneMessage:
        handled = true;
        ::EndDialog(Handle(), WorkResult(wParam) == WorkResult::Completed ? kExitSuccess : kExitFailed);
        return 0;
    default:
        return 0;
    }
}

}  // namespace setup
