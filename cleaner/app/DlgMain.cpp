#include "app/DlgMain.h"

#include "app/DlgMainIds.h"
#include "app/RowLayout.h"
#include "targets/TargetCatalog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <fstream>
#include <iterator>

namespace {
constexpr UINT kTrayMessage = WM_USER;            // the tray icon's callback (also DM_GETDEFID)
constexpr UINT kRunStoppedMessage = WM_USER + 3;  // the checkpoint's "run stopped"
constexpr UINT kInvokeMessage = WM_APP + 1;       // work of the driver for the window thread
constexpr UINT kTrayIconId = 128;
constexpr UINT_PTR kSchedulerTimer = 5;
constexpr int kRowIds[] = {IDC_OPTIONS, IDC_ABOUT, IDC_HIDE, IDC_EXIT};
constexpr UINT kHeaderBitmap = 208, kFooterBitmap = 209;

size_t g_bannerCounter = 0;  // process-wide: every showing of the window shows the next banner

void DrawPicture(HDC dc, HBITMAP bitmap, int x, int y, int width, int height) {
    if (!bitmap) return;
    HDC source = ::CreateCompatibleDC(dc);
    if (!source) return;
    BITMAP info{};
    ::GetObjectA(bitmap, sizeof info, &info);
    HGDIOBJ old = ::SelectObject(source, bitmap);
    ::SetStretchBltMode(dc, HALFTONE);
    ::StretchBlt(dc, x, y, width, height, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
}
}  // namespace

CDlgMain::CDlgMain(TargetCatalog& catalog, Options options)
    : CMyDialog(IDD_MAIN), catalog_(catalog), options_(std::move(options)), driver_(catalog, *this) {}

CDlgMain::~CDlgMain() {
    if (Hwnd()) ::DestroyWindow(Hwnd());
    driver_.WaitForWorker();
}

void CDlgMain::RunModal(bool show) {
    windowThread_ = ::GetCurrentThreadId();
    CMyToolTipDialog::SetHelpFile(options_.helpFile);
    CMyToolTipDialog::SetHelpOpener(
        [this](HWND owner, const std::string& address) { (void)help_.ShowAddress(owner, address); });
    if (!Create(nullptr)) return;
    if (show) ::ShowWindow(Hwnd(), SW_SHOW);
    MSG msg;
    while (!loopEnded_ && ::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (Hwnd() && ::IsDialogMessageA(Hwnd(), &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (Hwnd() && ::IsWindowVisible(Hwnd())) ::ShowWindow(Hwnd(), SW_HIDE);
    // Exit ends the loop only with no run in progress, but WM_QUIT or a failing GetMessage can end
    // it during one, with the worker blocked in a send to this thread.
    EndRunAnsweringWorker();
    driver_.WaitForWorker();
    if (Hwnd()) ::DestroyWindow(Hwnd());
}

BOOL CDlgMain::OnInitDialog() {
    skin_ = std::make_unique<SkinResources>();
    skin_->Install();
    const BOOL result = CMyDialog::OnInitDialog();
    HWND hwnd = Hwnd();
    HINSTANCE instance = CDialog::ResourceModule();

    ::SetWindowTextA(hwnd, "Tracelorn");
    icon_ = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_MAIN_ICON), IMAGE_ICON, 32, 32, LR_SHARED));
    smallIcon_ = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_MAIN_ICON), IMAGE_ICON, 16, 16, LR_SHARED));
    if (!icon_) icon_ = smallIcon_ = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    if (!smallIcon_) smallIcon_ = icon_;
    ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    header_.Reset(::LoadBitmapA(instance, MAKEINTRESOURCEA(kHeaderBitmap)));
    footer_.Reset(::LoadBitmapA(instance, MAKEINTRESOURCEA(kFooterBitmap)));

    tray_.Create(kTrayIconId, IDM_TRAY);
    tray_.menuAllowed = [this] { return OtherDialogsOpen() == 0 && driver_.RunState() == 0; };
    tray_.windowShown = [this] { return ::IsWindowVisible(Hwnd()) != FALSE; };
    tray_.SetNotificationWindow(hwnd, kTrayMessage);
    (void)tray_.SetIcon(kTrayIconId);
    if (catalog_.Settings().notifyWhenStart) (void)tray_.ShowBalloon("I'm here...", "Tracelorn", 3000);

    (void)scan_.AttachItem(hwnd, IDC_SCAN);
    (void)kill_.AttachItem(hwnd, IDC_KILL);
    (void)stop_.AttachItem(hwnd, IDC_STOP);
    AddToolTip(IDC_SCAN, "Scans selected Targets");
    AddToolTip(IDC_KILL, "Kills selected Targets");
    AddToolTip(IDC_STOP, "Stop Action");
    (void)options_button_.AttachItem(hwnd, IDC_OPTIONS);
    (void)about_.AttachItem(hwnd, IDC_ABOUT);
    (void)hide_.AttachItem(hwnd, IDC_HIDE);
    (void)exit_.AttachItem(hwnd, IDC_EXIT);
    AddToolTip(IDC_OPTIONS, "Tracelorn Options");
    AddToolTip(IDC_ABOUT, "About Tracelorn");
    AddToolTip(IDC_HIDE, "Switch to ICONIC mode");
    AddToolTip(IDC_EXIT, "Exit Tracelorn");
    if (CloseButton().Hwnd()) AddToolTip(CloseButton().Hwnd(), "Switch to ICONIC mode");
    LayOutRow();

    (void)list_.AttachItem(hwnd, IDC_RESULTS);
    ::SendMessageA(Item(IDC_RESULTS), WM_SETFONT, reinterpret_cast<WPARAM>(skin_->Font(SkinFont::Normal)), FALSE);
    (void)banner_.AttachItem(hwnd, IDC_BANNER);
    (void)progress_.AttachItem(hwnd, IDC_PROGRESS);
    RECT list{};
    ::GetClientRect(Item(IDC_RESULTS), &list);
    listClientWidth_ = list.right;
    CMyToolTipDialog::SetToolTipsEnabled(catalog_.Settings().showToolTips);
    SetHelpTopic("main.html");
    ::SetTimer(hwnd, kSchedulerTimer, 1000, nullptr);
    return result;
}

void CDlgMain::LayOutRow() {
    RECT client{}, first{};
    ::GetClientRect(Hwnd(), &client);
    ::GetWindowRect(Item(kRowIds[0]), &first);
    const std::vector<int> edges = RowLeftEdges(first.right - first.left, client.right);
    for (size_t i = 0; i < edges.size(); ++i) {
        HWND button = Item(kRowIds[i]);
        ::ShowWindow(button, SW_HIDE);
        ::SetWindowPos(button, nullptr, edges[i], kRowTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::ShowWindow(button, SW_SHOW);
    }
}

int CDlgMain::OtherDialogsOpen() const {
    const size_t open = CMyDialog::OpenCount();
    return open > 1 ? static_cast<int>(open - 1) : 0;
}

bool CDlgMain::OnCommand(WORD id, WORD code, HWND control) {
    if (code != BN_CLICKED && control) return CMyDialog::OnCommand(id, code, control);
    switch (id) {
        case IDC_SCAN: driver_.StartScan(); return true;
        case IDC_KILL: driver_.StartKill(); return true;
        case IDC_STOP: driver_.Stop(); return true;
        case IDC_EXIT:
            exitRequested_ = true;
            ::PostMessageA(Hwnd(), WM_CLOSE, 0, 0);
            return true;
        case ID_TOGGLE_MODE: ToggleMode(); return true;
        case ID_HELP_INDEX: (void)help_.ShowAddress(Hwnd(), options_.helpFile + "::/welcome.html"); return true;
        case IDC_BANNER: OpenBannerUrl(); return true;
        case IDC_OPTIONS:  // the Options and About dialogs are wired by their own components
        case IDC_ABOUT: return true;
        default: return CMyDialog::OnCommand(id, code, control);  // the frame's close button: Cancel
    }
}

void CDlgMain::StartAutoKill() {
    if (OtherDialogsOpen() > 0) return;
    driver_.StartAutoKill();
}

void CDlgMain::OnTimer(UINT_PTR id) {
    if (id == kSchedulerTimer) elapsedMs_ += 1000;
}

void CDlgMain::OnClose() {
    catalog_.Settings().showMainWnd = ::IsWindowVisible(Hwnd()) != FALSE;
    OnCancel();
}

// Hide, Escape, the frame's close button and Alt+F4: stop a run, end after Exit, or hide.
void CDlgMain::OnCancel() {
    if (driver_.RunState() != 0) {
        driver_.Stop();
        return;
    }
    if (exitRequested_) {
        loopEnded_ = true;
        ::PostMessageA(Hwnd(), WM_NULL, 0, 0);
        return;
    }
    ::ShowWindow(Hwnd(), SW_HIDE);
}

void CDlgMain::ToggleMode() {
    if (::IsWindowVisible(Hwnd())) {
        ::ShowWindow(Hwnd(), SW_HIDE);
        return;
    }
    ::ShowWindow(Hwnd(), SW_SHOW);
    ::SetForegroundWindow(Hwnd());
}

void CDlgMain::EndRunAnsweringWorker() {
    while (driver_.Busy()) {
        driver_.Stop();
        // Sent messages only: the worker's calls run, queued input and commands wait.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void CDlgMain::OnSessionEnding(bool ending) {
    EndRunAnsweringWorker();
    driver_.WaitForWorker();
    catalog_.Settings().showMainWnd = ::IsWindowVisible(Hwnd()) != FALSE;
    if (options_.saveAll) options_.saveAll();
    if (!ending) return;
    // The session ends: leave the loop as Exit does (the saves then run once more, unchanged).
    exitRequested_ = true;
    loopEnded_ = true;
    ::PostMessageA(Hwnd(), WM_NULL, 0, 0);
}

void CDlgMain::RunPublishedCall(WPARAM token, LPARAM call) {
    // Posted, or a send nobody published: not the worker's.
    if ((::InSendMessageEx(nullptr) & ISMEX_SEND) == 0) return;
    if (const PendingCalls::Call* work = calls_.Take(token, static_cast<uintptr_t>(call))) (*work)();
}

void CDlgMain::OnTrayEvent(LPARAM event) {
    // Only a click brings a window forward; balloon notifications of a hidden run (shown, hidden,
    // timed out) must not take the focus, or the next Escape would stop the run.
    const bool click = event == WM_LBUTTONDOWN || event == WM_LBUTTONUP || event == WM_LBUTTONDBLCLK ||
                       event == WM_RBUTTONDOWN || event == WM_RBUTTONUP || event == WM_RBUTTONDBLCLK ||
                       event == WM_MBUTTONDOWN || event == WM_MBUTTONUP || event == WM_CONTEXTMENU ||
                       event == NIN_BALLOONUSERCLICK;
    if (click) CMyDialog::BringLastToFront();
    const bool running = driver_.RunState() != 0;
    if (!running && event == WM_LBUTTONDBLCLK) ToggleMode();
    if (running && !::IsWindowVisible(Hwnd()) && event == NIN_BALLOONUSERCLICK) driver_.Stop();
}

LRESULT CDlgMain::OnMessage(UINT message, WPARAM wp, LPARAM lp, bool& handled) {
    handled = true;
    switch (message) {
        case WM_CLOSE: OnClose(); return 0;
        case kTrayMessage:
            // The same number is the dialog manager's DM_GETDEFID (wParam 0): only the icon's own
            // id makes it a tray event; anything else goes on to the dialog manager.
            if (wp != kTrayIconId) break;
            OnTrayEvent(lp);
            return 0;
        case kRunStoppedMessage:
        case kInvokeMessage: RunPublishedCall(wp, lp); return 0;
        case WM_QUERYENDSESSION: OnSessionEnding(false); return TRUE;
        case WM_ENDSESSION:
            if (wp) OnSessionEnding(true);
            return 0;
        case WM_SHOWWINDOW:
            if (wp) LoadBanner();
            break;
        case WM_QUERYDRAGICON: return reinterpret_cast<LRESULT>(icon_);
        default: break;
    }
    handled = false;
    return CMyDialog::OnMessage(message, wp, lp, handled);
}

bool CDlgMain::OnPaint() {
    if (!::IsIconic(Hwnd())) return CMyDialog::OnPaint();
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(Hwnd(), &ps);
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    ::DrawIcon(dc, (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2,
               (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2, icon_);
    ::EndPaint(Hwnd(), &ps);
    return true;
}

void CDlgMain::PaintContent(HDC dc, const RECT&) {
    DrawPicture(dc, static_cast<HBITMAP>(header_.Get()), 28, 44, 425, 180);
    DrawPicture(dc, static_cast<HBITMAP>(footer_.Get()), 28, 398, 425, 77);
}

bool CDlgMain::OnDrawItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU) return false;
    CMainTrayIcon::DrawItem(item);
    return true;
}

bool CDlgMain::OnMeasureItem(MEASUREITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU) return false;
    CMainTrayIcon::MeasureItem(item);
    return true;
}

void CDlgMain::OnDestroy() {
    ::KillTimer(Hwnd(), kSchedulerTimer);
    tray_.Destroy();
    CMyDialog::OnDestroy();
}

void CDlgMain::LoadBanner() {
    HWND control = Item(IDC_BANNER);
    shownBanner_.reset();
    banner_.Clear();
    ::ShowWindow(control, SW_HIDE);

    std::ifstream in(options_.programFolder + "\\banner.qbf", std::ios::binary | std::ios::ate);
    if (!in) return;
    // Banners are small pictures; a file far larger than any is not read into memory at all.
    constexpr std::streamoff kMaxBannerFile = 16 << 20;
    const std::streamoff size = in.tellg();
    if (size <= 0 || size > kMaxBannerFile) return;
    in.seekg(0);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return;
    std::optional<BannerFile> file = BannerFile::Parse(std::move(bytes));
    if (!file) return;  // a corrupt file hides the banner and nothing else
    const size_t index = BannerIndexFor(g_bannerCounter, file->Count());
    g_bannerCounter = index + 1;
    const Banner& banner = file->At(index);
    std::vector<uint8_t> image;
    if (!file->ImageData(banner, image)) return;
    if (!banner_.SetImage(image.data(), image.size(), banner.imageWidth, banner.numImages)) return;
    banner_.SetAnimation(banner.animTime > 0 ? static_cast<UINT>(banner.animTime) : 0,
                         banner.animType == 1 ? skin_geometry::BannerMode::BackAndForth
                                              : skin_geometry::BannerMode::Loop);
    ::SetWindowPos(control, nullptr, banner.wndX, banner.wndY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    shownBanner_ = banner;
    ::ShowWindow(control, SW_SHOW);
}

void CDlgMain::OpenBannerUrl() {
    if (!shownBanner_ || !IsOpenableBannerUrl(shownBanner_->url)) return;
    ::ShellExecuteA(Hwnd(), "open", shownBanner_->url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// --- ActionWindow: each call is carried out on the window thread ---

void CDlgMain::RunOnWindowThread(const std::function<void()>& work) {
    if (!Hwnd() || ::GetCurrentThreadId() == windowThread_) {
        work();
        return;
    }
    const uint64_t token = calls_.Publish(&work);
    ::SendMessageA(Hwnd(), kInvokeMessage, static_cast<WPARAM>(token), reinterpret_cast<LPARAM>(&work));
    calls_.Withdraw(token);
}

void CDlgMain::SendRunStopped() {
    if (!Hwnd() || ::GetCurrentThreadId() == windowThread_) {
        driver_.OnRunStopped();
        return;
    }
    const PendingCalls::Call stopped = [this] { driver_.OnRunStopped(); };
    const uint64_t token = calls_.Publish(&stopped);
    ::SendMessageA(Hwnd(), kRunStoppedMessage, static_cast<WPARAM>(token), reinterpret_cast<LPARAM>(&stopped));
    calls_.Withdraw(token);
}

void CDlgMain::ClearResultLines() { RunOnWindowThread([&] { list_.Clear(); }); }
void CDlgMain::AddResultLine(const ResultLine& line) { RunOnWindowThread([&] { list_.AddLine(line); }); }
void CDlgMain::DeleteLastResultLine() { RunOnWindowThread([&] { list_.DeleteLastLine(); }); }
void CDlgMain::RepaintResultList() { RunOnWindowThread([&] { ::UpdateWindow(Item(IDC_RESULTS)); }); }
bool CDlgMain::IsShown() { return Hwnd() && ::IsWindowVisible(Hwnd()); }

void CDlgMain::ShowBalloon(const std::string& text, const std::string& title, uint32_t timeoutMs) {
    RunOnWindowThread([&] { (void)tray_.ShowBalloon(text, title, timeoutMs); });
}

void CDlgMain::ShowRunningForm(const std::string& stopCaption, int progressRange) {
    RunOnWindowThread([&] {
        for (int id : kRowIds) ::EnableWindow(Item(id), FALSE);
        ::ShowWindow(Item(IDC_SCAN), SW_HIDE);
        ::ShowWindow(Item(IDC_KILL), SW_HIDE);
        ::SetWindowTextA(Item(IDC_STOP), stopCaption.c_str());
        ::ShowWindow(Item(IDC_STOP), SW_SHOW);
        HWND bar = Item(IDC_PROGRESS);
        RECT list{}, rect{};
        ::GetWindowRect(Item(IDC_RESULTS), &list);
        ::GetWindowRect(bar, &rect);
        ::SetWindowPos(bar, nullptr, 0, 0, (list.right - list.left) + 2, rect.bottom - rect.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        progress_.SetRange(0, progressRange);
        progress_.SetPos(0);
        progress_.SetStep(1);
        ::ShowWindow(bar, SW_SHOW);
    });
}

void CDlgMain::StepProgress() { RunOnWindowThread([&] { progress_.StepIt(); }); }

void CDlgMain::ShowIdleForm() {
    RunOnWindowThread([&] {
        for (int id : kRowIds) ::EnableWindow(Item(id), TRUE);
        ::ShowWindow(Item(IDC_STOP), SW_HIDE);
        ::ShowWindow(Item(IDC_PROGRESS), SW_HIDE);
        ::ShowWindow(Item(IDC_SCAN), SW_SHOW);
        ::ShowWindow(Item(IDC_KILL), SW_SHOW);
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
    });
}

void CDlgMain::Repaint() {
    RunOnWindowThread([&] {
        ::InvalidateRect(Hwnd(), nullptr, TRUE);
        ::UpdateWindow(Hwnd());
    });
}

void CDlgMain::PlayEndSound() {
    RunOnWindowThread([&] { CTrayIcon::PlayEndSound(); });
}
