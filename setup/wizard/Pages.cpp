#include "wizard/Pages.h"

#include "engine/Workers.h"
#include "win/GdiHandles.h"
#include "win/Handles.h"
#include "win/WideText.h"
#include "wizard/WizardIds.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

namespace setup {

namespace {

BOOL CALLBACK LocaliseChild(HWND child, LPARAM data) {
    const auto* page = reinterpret_cast<const std::pair<const LanguageSet*, std::string>*>(data);
    const int id = ::GetDlgCtrlID(child);
    if (id == 0) return TRUE;
    const std::u16string text = page->first->ItemText(page->second, std::to_string(id));
    if (!text.empty()) ::SetWindowTextW(child, ToWide(text).c_str());
    return TRUE;
}

ButtonState Shown(int caption) { return ButtonState{true, true, caption}; }
ButtonState Hidden() { return ButtonState{false, false, 0}; }

// The licence text handed to the rich edit piece by piece, never more than what is left.
struct LicenseReader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

DWORD CALLBACK StreamLicense(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* reader = reinterpret_cast<LicenseReader*>(cookie);
    const size_t count = std::min<size_t>(size_t(std::max<LONG>(wanted, 0)), reader->size - reader->at);
    if (count) std::memcpy(buffer, reader->data + reader->at, count);
    reader->at += count;
    *given = LONG(count);
    return 0;
}

}  // namespace

void CBasePage::Localise() {
    const std::pair<const LanguageSet*, std::string> page{&Languages(), Key()};
    ::EnumChildWindows(Handle(), LocaliseChild, reinterpret_cast<LPARAM>(&page));
}

bool CBasePage::OnShow() {
    if (focus_ == 0) return false;
    ::SendMessageW(context_.main, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(focus_)), TRUE);
    return true;
}

// --- welcome and finish ---------------------------------------------------------------------

BOOL CPicturePage::OnInitDialog() {
    // The picture is painted by the page itself; the area only marks where it goes.
    ShowItem(IDC_PICTURE_AREA, false);
    ShowItem(IDC_LAUNCH, finish_);
    if (HFONT font = context_.skin.Font("welcome")) {
        ::SendMessageW(Item(IDC_PAGE_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return TRUE;
}

void CPicturePage::Resize(int width, int height) {
    (void)width;
    ::MoveWindow(Item(IDC_PICTURE_AREA), 0, 0, 164, height, TRUE);
    ::MoveWindow(Item(IDC_PAGE_TITLE), 180, 16, 293, 46, TRUE);
    if (finish_) {
        ::MoveWindow(Item(IDC_PAGE_TEXT), 180, 78, 293, 65, TRUE);
        ::MoveWindow(Item(IDC_LAUNCH), 180, 145, 293, 20, TRUE);
    } else {
        ::MoveWindow(Item(IDC_PAGE_TEXT), 180, 78, 293, height - 78, TRUE);
    }
}

INT_PTR CPicturePage::OnMessage(UINT message, WPARAM wParam, LPARAM, bool& handled) {
    switch (message) {
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        handled = true;
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(context_.skin.WhiteBrush());
    case WM_PAINT: {
        handled = true;
        PaintDc paint(Handle());
        const SkinImage* image = context_.skin.Image("bg");
        if (!image) return 0;
        MemoryDc memory(::CreateCompatibleDC(paint.Get()));
        SelectedObject selected(memory.Get(), image->bitmap.Get());
        if (image->alpha) {
            const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            ::AlphaBlend(paint.Get(), 0, 0, image->width, image->height, memory.Get(), 0, 0, image->width,
                         image->height, blend);
        } else {
            ::BitBlt(paint.Get(), 0, 0, image->width, image->height, memory.Get(), 0, 0, SRCCOPY);
        }
        return 0;
    }
    default:
        return 0;
    }
}

CStartPage::CStartPage(WizardContext& context)
    : CPicturePage(context, IDD_WELCOME, "PS", false, Hidden(), Shown(101), Shown(2), 0) {}

CFinishPage::CFinishPage(WizardContext& context)
    : CPicturePage(context, IDD_WELCOME, "PF", false, Hidden(), Hidden(), Shown(context.uninstall ? 8 : 104), 0) {
    finish_ = true;
}

void CFinishPage::Localise() {
    CBasePage::Localise();
    const bool failed = context_.session.failed;
    if (failed) {
        SetItemText(IDC_PAGE_TEXT,
                    ToWide(Languages().Text(context_.uninstall ? "tFailedUninst" : "tFailedInst")).c_str());
    }
    const bool launch = !context_.uninstall && !failed;
    ShowItem(IDC_LAUNCH, launch);
    ::CheckDlgButton(Handle(), IDC_LAUNCH, launch && context_.session.launch ? BST_CHECKED : BST_UNCHECKED);
}

bool CFinishPage::OnShow() {
    // The outcome is known only now.
    Localise();
    return false;
}

bool CFinishPage::OnCommand(int id, int code, HWND) {
    if (id != IDC_LAUNCH || code != BN_CLICKED) return false;
    context_.session.launch = ::IsDlgButtonChecked(Handle(), IDC_LAUNCH) == BST_CHECKED;
    return true;
}

// --- licence ---------------------------------------------------------------------------------

CLicensePage::CLicensePage(WizardContext& context)
    : CBasePage(context, IDD_LICENSE, "PL", true, Shown(1007), Shown(102), Shown(2), IDC_LICENSE_TEXT) {}

BOOL CLicensePage::OnInitDialog() {
    const HWND edit = Item(IDC_LICENSE_TEXT);
    ::SendMessageW(edit, EM_SETEVENTMASK, 0, ENM_KEYEVENTS);
    const QV::MemoryStream* blob = context_.session.Settings().License(Languages().CurrentCode());
    if (!blob || !blob->Data()) return TRUE;
    LicenseReader reader{blob->Data(), size_t(blob->Size())};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&reader), 0, StreamLicense};
    ::SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return TRUE;
}

bool CLicensePage::OnShow() {
    CBasePage::OnShow();
    // Focus selects the whole text; the reader starts at the top with nothing selected.
    const HWND edit = Item(IDC_LICENSE_TEXT);
    ::SendMessageW(edit, EM_SETSEL, 0, 0);
    ::SendMessageW(edit, WM_VSCROLL, SB_TOP, 0);
    return true;
}

INT_PTR CLicensePage::OnMessage(UINT message, WPARAM, LPARAM lParam, bool& handled) {
    if (message != WM_NOTIFY) return 0;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom != IDC_LICENSE_TEXT || header->code != EN_MSGFILTER) return 0;
    const auto* filter = reinterpret_cast<const MSGFILTER*>(lParam);
    if (filter->msg == WM_KEYDOWN && filter->wParam == VK_RETURN) {
        // Enter in the text accepts the licence as Next does.
        ::PostMessageW(context_.main, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        handled = true;
        return 1;
    }
    return 0;
}

// --- uninstall -------------------------------------------------------------------------------

CUninstallPage::CUninstallPage(WizardContext& context)
    : CBasePage(context, IDD_UNINSTALL, "PU", true, Shown(1007), Shown(105), Shown(2), 0) {}

BOOL CUninstallPage::OnInitDialog() {
    SetItemText(IDC_FOLDER, ToWide(context_.session.InstallFolder() + u"\\").c_str());
    return TRUE;
}

// --- installing ------------------------------------------------------------------------------

CInstallingPage::CInstallingPage(WizardContext& context)
    : CBasePage(context, IDD_INSTALLING, "PI", true, ButtonState{true, false, 1007}, ButtonState{true, false, 101},
                ButtonState{true, false, 2}, 0) {}

BOOL CInstallingPage::OnInitDialog() {
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 420;
    ::SendMessageW(Item(IDC_STATUS_LIST), LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    return TRUE;
}

bool CInstallingPage::OnShow() {
    // However Next and the worker's end arrive, the work starts once.
    if (started_.exchange(true)) return false;
    context_.session.busy = true;
    KernelHandle worker(::CreateThread(nullptr, 0, WorkerEntry, this, 0, nullptr));
    if (!worker) {
        context_.session.busy = false;
        context_.session.failed = true;
        context_.session.completed = true;
        ::PostMessageW(context_.main, kWorkerDoneMessage, WPARAM(WorkResult::Failed), 0);
    }
    return false;
}

DWORD WINAPI CInstallingPage::WorkerEntry(void* self) {
    auto* page = static_cast<CInstallingPage*>(self);
    SetupSession& session = page->context_.session;
    try {
        if (page->context_.uninstall) {
            RunUninstallation(session, *page);
        } else {
            RunInstallation(session, *page);
        }
    } catch (...) {
        EndWork(session, *page, WorkResult::Failed);
    }
    return 0;
}

void CInstallingPage::AllowNext() {
    next_.enabled = true;
    RefreshButtons();
}

void CInstallingPage::SetRange(uint32_t steps) { ::SendMessageW(Handle(), kRangeMessage, steps, 0); }

void CInstallingPage::Status(const std::u16string& line, bool step) {
    const std::wstring text = ToWide(line);
    ::SendMessageW(Handle(), kStatusMessage, step, reinterpret_cast<LPARAM>(text.c_str()));
}

void CInstallingPage::Finished(WorkResult result) {
    // A private message: the worker's end and a click on Next can never both move the wizard.
    ::PostMessageW(context_.main, kWorkerDoneMessage, WPARAM(result), 0);
}

INT_PTR CInstallingPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == kRangeMessage) {
        handled = true;
        ::SendMessageW(Item(IDC_PROGRESS), PBM_SETRANGE32, 0, LPARAM(wParam));
        return 0;
    }
    if (message != kStatusMessage) return 0;
    handled = true;
    const auto* text = reinterpret_cast<const wchar_t*>(lParam);
    const HWND list = Item(IDC_STATUS_LIST);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = int(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<wchar_t*>(text);
    const int index = int(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    ::SendMessageW(list, LVM_ENSUREVISIBLE, WPARAM(index), FALSE);
    ::SendMessageW(Item(IDC_PROGRESS), PBM_SETPOS, WPARAM(steps_), 0);
    SetItemText(IDC_STATUS, text);
    if (wParam) ++steps_;
    return 0;
}

}  // namespace setup
