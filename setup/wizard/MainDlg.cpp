#include "wizard/MainDlg.h"

#include "win/WideText.h"
#include "wizard/WizardIds.h"

namespace setup {

namespace {

constexpr int kHeaderHeight = 58;
constexpr int kButtonBand = 48;

void ApplyButton(HWND button, const ButtonState& state, const LanguageSet& languages) {
    ::ShowWindow(button, state.visible ? SW_SHOW : SW_HIDE);
    ::EnableWindow(button, state.enabled);
    if (state.caption) ::SetWindowTextW(button, ToWide(languages.NumberText(state.caption)).c_str());
}

}  // namespace

CMainDlg::CMainDlg(SetupSession& session, const Skin& skin)
    : context_{session, skin, session.Mode() == SetupMode::Uninstall, nullptr}, header_(skin) {}

int CMainDlg::Run() {
    const INT_PTR code = DoModal(nullptr, IDD_MAIN);
    return code < 0 ? kExitFailed : int(code);
}

BOOL CMainDlg::Header::OnInitDialog() {
    if (HFONT font = skin_.Font("header")) {
        ::SendMessageW(Item(IDC_HEADER_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return TRUE;
}

INT_PTR CMainDlg::Header::OnMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    if (message != WM_CTLCOLORDLG && message != WM_CTLCOLORSTATIC) return 0;
    handled = true;
    ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<INT_PTR>(skin_.WhiteBrush());
}

BOOL CMainDlg::OnInitDialog() {
    context_.main = Handle();
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const auto icon = [&](int size) {
        return reinterpret_cast<LPARAM>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_SETUP), IMAGE_ICON, size, size, LR_SHARED));
    };
    ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, icon(32));
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, icon(16));
    const LanguageSet& languages = context_.session.Languages();
    ::SetWindowTextW(Handle(), ToWide(languages.Text(context_.uninstall ? "titleU" : "title")).c_str());

    pages_.push_back(std::make_unique<CStartPage>(context_));
    if (context_.uninstall) {
        pages_.push_back(std::make_unique<CUninstallPage>(context_));
    } else {
        pages_.push_back(std::make_unique<CLicensePage>(context_));
        pages_.push_back(std::make_unique<CComponentsPage>(context_));
        pages_.push_back(std::make_unique<CLocationPage>(context_));
    }
    installing_ = pages_.size();
    pages_.push_back(std::make_unique<CInstallingPage>(context_));
    pages_.push_back(std::make_unique<CFinishPage>(context_));
    for (auto& page : pages_) {
        page->CreateChild(Handle(), page->DialogId());
        ::ShowWindow(page->Handle(), SW_HIDE);
        ::EnableWindow(page->Handle(), FALSE);
    }
    header_.CreateChild(Handle(), IDD_HEADER);
    Layout();
    for (auto& page : pages_) page->Localise();
    current_ = 0;
    ShowPage(0);
    return FALSE;
}

void CMainDlg::Layout() {
    RECT client;
    ::GetClientRect(Handle(), &client);
    const int width = client.right, height = client.bottom;
    ::MoveWindow(header_.Handle(), 0, 0, width, kHeaderHeight, FALSE);
    ::MoveWindow(Item(IDC_LINE_TOP), 0, kHeaderHeight, width, 2, FALSE);
    ::MoveWindow(Item(IDC_LINE_BOTTOM), 0, height - kButtonBand, width, 2, FALSE);
    RECT headerClient;
    ::GetClientRect(header_.Handle(), &headerClient);
    ::MoveWindow(header_.Item(IDC_HEADER_PICTURE), headerClient.right - 70, 0, 70, headerClient.bottom, FALSE);
    for (auto& page : pages_) {
        if (page->HasHeader()) {
            RECT own;
            ::GetWindowRect(page->Handle(), &own);
            const int w = own.right - own.left, h = own.bottom - own.top;
            ::MoveWindow(page->Handle(), (width - w) / 2, (height - h - 108) / 2 + 60, w, h, FALSE);
        } else {
            ::MoveWindow(page->Handle(), 0, 0, width, height - kButtonBand, FALSE);
            page->Resize(width, height - kButtonBand);
        }
    }
}

void CMainDlg::ApplyButtons() {
    const CBasePage& page = *pages_[current_];
    const LanguageSet& languages = context_.session.Languages();
    ApplyButton(Item(IDC_BACK), page.Back(), languages);
    ApplyButton(Item(IDOK), page.Next(), languages);
    ApplyButton(Item(IDCANCEL), page.Cancel(), languages);
}

void CMainDlg::ShowPage(size_t index) {
    if (index >= pages_.size()) return;
    const size_t previous = current_;
    current_ = index;
    CBasePage& page = *pages_[index];
    ::EnableWindow(page.Handle(), TRUE);
    ::ShowWindow(page.Handle(), SW_SHOW);
    ::ShowWindow(header_.Handle(), page.HasHeader() ? SW_SHOW : SW_HIDE);
    ShowItem(IDC_LINE_TOP, page.HasHeader());
    ApplyButtons();
    header_.SetItemText(IDC_HEADER_TITLE, ToWide(page.Title()).c_str());
    header_.SetItemText(IDC_HEADER_DESC, ToWide(page.Description()).c_str());
    if (previous != index) {
        ::ShowWindow(pages_[previous]->Handle(), SW_HIDE);
        ::EnableWindow(pages_[previous]->Handle(), FALSE);
    }
    if (page.OnShow()) return;
    const HWND focus = page.Next().visible ? Item(IDOK) : Item(IDCANCEL);
    ::SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
    ::SendMessageW(Handle(), DM_SETDEFID, page.Next().visible ? IDOK : IDCANCEL, 0);
}

int CMainDlg::OutcomeCode() const {
    if (!context_.session.completed) return kExitCancelled;
    return context_.session.failed ? kExitFailed : kExitSuccess;
}

void CMainDlg::Cancel() {
    // The work cannot be stopped halfway: Cancel and the window's close wait for it.
    if (context_.session.busy || (current_ == installing_ && !context_.session.completed)) return;
    if (current_ + 1 == pages_.size()) {
        ::EndDialog(Handle(), OutcomeCode());
        return;
    }
    if (!context_.uninstall) {
        const LanguageSet& languages = context_.session.Languages();
        if (::MessageBoxW(Handle(), ToWide(languages.Text("msgCancel")).c_str(), ToWide(languages.Text("title")).c_str(),
                          MB_YESNO | MB_ICONQUESTION) != IDYES) {
            return;
        }
    }
    ::EndDialog(Handle(), kExitCancelled);
}

bool CMainDlg::OnCommand(int id, int code, HWND) {
    if (code != BN_CLICKED && code != 0) return false;
    switch (id) {
    case IDOK:
        if (!pages_[current_]->Next().visible || !pages_[current_]->Next().enabled) return true;
        if (current_ + 1 == pages_.size()) {
            ::EndDialog(Handle(), OutcomeCode());
        } else if (current_ != installing_ || context_.session.completed) {
            ShowPage(current_ + 1);
        }
        return true;
    case IDC_BACK:
        if (current_ > 0 && pages_[current_]->Back().enabled && pages_[current_]->Back().visible) ShowPage(current_ - 1);
        return true;
    case IDCANCEL:
        Cancel();
        return true;
    default:
        return false;
    }
}

INT_PTR CMainDlg::OnMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    if (message == kRefreshButtonsMessage) {
        handled = true;
        ApplyButtons();
        return 0;
    }
    if (message == kWorkerDoneMessage) {
        handled = true;
        if (WorkResult(wParam) == WorkResult::Completed) {
            ShowPage(installing_ + 1);
        } else {
            // What failed stays readable in the list; Next goes on to the finish page.
            static_cast<CInstallingPage*>(pages_[installing_].get())->AllowNext();
        }
        return 0;
    }
    return 0;
}

}  // namespace setup
