#include "dialogs/DlgUpdate.h"

#include "platform/ProgramFolder.h"
#include "platform/Text.h"
#include "schedule/UpdateProtocol.h"
#include "schedule/UpdateWorker.h"
#include "targets/TargetCatalog.h"

#include <algorithm>

namespace {

// Over the window that opened it (the main window, or the Options dialog), when that is shown.
void CentreOverOwner(HWND dialog) {
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    if (!owner || !::IsWindowVisible(owner)) return;
    RECT outer{}, own{};
    ::GetWindowRect(owner, &outer);
    ::GetWindowRect(dialog, &own);
    const int x = outer.left + ((outer.right - outer.left) - (own.right - own.left)) / 2;
    const int y = outer.top + ((outer.bottom - outer.top) - (own.bottom - own.top)) / 2;
    ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CDlgUpdate::CDlgUpdate(TargetCatalog& catalog) : CMyDialog(IDD_UPDATE), catalog_(catalog) {}

BOOL CDlgUpdate::OnInitDialog() {
    const BOOL result = CMyDialog::OnInitDialog();
    HWND hwnd = Hwnd();
    ::SetWindowTextW(hwnd, L"Update Tracelorn");
    (void)cancel_.AttachItem(hwnd, IDCANCEL);
    (void)ok_.AttachItem(hwnd, IDOK);
    (void)status_.AttachItem(hwnd, IDC_UPDATE_STATUS);
    (void)bar_.AttachItem(hwnd, IDC_UPDATE_PROGRESS);
    AddToolTip(IDCANCEL, "Close dilaog");
    AddToolTip(IDOK, "Close dilaog");
    ::ShowWindow(Item(IDOK), SW_HIDE);
    ::ShowWindow(Item(IDC_UPDATE_PROGRESS), SW_HIDE);
    CentreOverOwner(hwnd);

    // An automatic update may be running: stop it and let its worker end first.
    if (update_worker::Running()) update_worker::RequestStop();
    update_worker::WaitForEnd();

    const std::string folder = catalog_.ProgramFolder().empty() ? ExecutableFolder() : catalog_.ProgramFolder();
    running_ = update_worker::Start(
        UpdateJob{hwnd, folder, UpdateBaseAddress(catalog_.SettingsPath()), catalog_.SettingsPath()});
    if (!running_) ShowEnded(update::StatusText(update::kServerUnreachable, 0));
    return result;
}

LRESULT CDlgUpdate::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == update::kNotifyMessage && update_worker::IsOwnNotification(Hwnd())) {
        handled = true;
        OnNotification(static_cast<uint32_t>(wParam), lParam);
        return 0;
    }
    return CMyDialog::OnMessage(message, wParam, lParam, handled);
}

void CDlgUpdate::OnNotification(uint32_t code, LPARAM value) {
    std::unique_ptr<std::string> name;
    if (code == update::kFileBegins) name = update_worker::TakeFileName(value);
    // After Cancel the worker may still report until it notices the stop: the dialog has said
    // its last word.
    if (!running_) return;
    switch (code) {
        case update::kConnecting:
        case update::kChecking: SetStatus(update::StatusText(code, 0)); return;
        case update::kDownloadsBegin:
            total_ = static_cast<uint32_t>(value);
            begun_ = 0;
            bar_.SetRange(0, static_cast<int>(std::min<uint32_t>(total_, 1u << 20)) * kUnitsPerFile);
            bar_.SetPos(0);
            bar_.SetStep(kUnitsPerFile);
            ::ShowWindow(Item(IDC_UPDATE_PROGRESS), SW_SHOW);
            return;
        case update::kFileBegins:
            if (name) SetStatus(update::FileText(*name));
            ++begun_;
            bar_.SetPos(static_cast<int>(begun_ - 1) * kUnitsPerFile);
            return;
        case update::kFileProgress:
            if (begun_ == 0) return;
            bar_.SetPos(static_cast<int>(begun_ - 1) * kUnitsPerFile +
                        static_cast<int>(std::min<LPARAM>(value, kUnitsPerFile)));
            return;
        case update::kSucceeded:
        case update::kNothingToFetch:
            catalog_.MarkLastUpdateCheckNow();
            ShowEnded(update::StatusText(code, static_cast<uint32_t>(value)));
            return;
        case update::kListUnreadable:
        case update::kServerUnreachable: ShowEnded(update::StatusText(code, 0)); return;
        default: return;
    }
}

void CDlgUpdate::Close(INT_PTR result) {
    if (running_) {
        // Cancel (or Enter) while the update runs: say so, and ask the worker to stop. An update
        // saves its files only once every one has arrived, so a stopped one has updated none.
        ShowEnded(update::StoppedText(0));
        update_worker::RequestStop();
        ::UpdateWindow(Hwnd());
        return;
    }
    // The worker may still be ending; nothing it sends reaches a closed dialog.
    update_worker::WaitForEnd();
    End(result);
}

void CDlgUpdate::ShowEnded(const std::string& text) {
    running_ = false;
    // The buttons change before the text: whoever sees the final text sees the dialog's end state.
    ::ShowWindow(Item(IDCANCEL), SW_HIDE);
    ::ShowWindow(Item(IDC_UPDATE_PROGRESS), SW_HIDE);
    ::ShowWindow(Item(IDOK), SW_SHOW);
    ::SetFocus(Item(IDOK));
    SetStatus(text);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void CDlgUpdate::SetStatus(const std::string& text) {
    ::SetWindowTextW(Item(IDC_UPDATE_STATUS), WideFromUtf8(text).c_str());
}

void CDlgUpdate::OnDestroy() {
    if (update_worker::Target() == Hwnd()) {
        update_worker::RequestStop();
        update_worker::WaitForEnd();
    }
    CMyDialog::OnDestroy();
}
