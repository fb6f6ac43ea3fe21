#include "app/DlgMain.h"

#include "app/DlgMainIds.h"
#include "app/MainLayout.h"
#include "app/RowLayout.h"
#include "dialogs/DlgAbout.h"
#include "dialogs/DlgOptions.h"
#include "dialogs/TargetTreeImages.h"
#include "platform/GdiHandles.h"
#include "dialogs/DlgUpdate.h"
#include "platform/Text.h"
#include "schedule/UpdateProtocol.h"
#include "schedule/UpdateWorker.h"
#include "targets/AnsiStoredText.h"
#include "targets/BannerFile.h"
#include "targets/BinaryFile.h"
#include "targets/TargetCatalog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <iterator>
#include <vector>

namespace {
constexpr UINT_PTR kSchedulerTimer = AutoKillScheduler::kTimerId;
constexpr int kRowIds[] = {IDC_OPTIONS, IDC_ABOUT, IDC_HIDE, IDC_EXIT};

size_t g_bannerCounter = 0;  // process-wide: every showing of the window shows the next banner

// The whole banner file through the wide file calls; empty when it is missing or too large.
std::vector<uint8_t> ReadBannerFile(const std::string& path) {
    BinaryFile file;
    if (!file.Open(path, BinaryFile::Mode::Read) || file.Size() > kMaxBannerFileSize) return {};
    std::vector<uint8_t> bytes(static_cast<size_t>(file.Size()));
    if (!bytes.empty() && file.Read(bytes.data(), bytes.size()) != bytes.size()) return {};
    return bytes;
}

void DrawPicture(HDC dc, HBITMAP bitmap, int x, int y, int width, int height) {
    if (!bitmap) return;
    const MemoryDc source(dc);
    if (!source) return;
    BITMAP info{};
    ::GetObjectA(bitmap, sizeof info, &info);
    const SelectedObject selected(source.Get(), bitmap);
    ::SetStretchBltMode(dc, HALFTONE);
    ::StretchBlt(dc, x, y, width, height, source.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
}
}  // namespace

CDlgMain::CDlgMain(TargetCatalog& catalog, Options options)
    : CMyDialog(IDD_MAIN),
      catalog_(catalog),
      options_(std::move(options)),
      bridge_(*this, [this] { return Hwnd(); }, [this] { driver_.OnRunStopped(); }),
      driver_(catalog, bridge_, nullptr, &runLock_),
      autoUpdate_(catalog, [this](const std::string& text) {
          // No balloon of the update over the progress balloons of a hidden run.
          if (driver_.RunState() != 0 && !::IsWindowVisible(Hwnd())) return;
          (void)tray_.ShowBalloon(text, "Tracelorn", 1000);
      }),
      scheduler_(catalog, schedulerHost_) {
    SetPixelTemplate(true);
}

CDlgMain::~CDlgMain() {
    if (Hwnd()) ::DestroyWindow(Hwnd());
    driver_.WaitForWorker();
}

void CDlgMain::RunModal(bool show) {
    bridge_.BindToThisThread();
    CMyToolTipDialog::SetHelpFile(options_.helpFile);
    CMyToolTipDialog::SetHelpOpener(
        [this](HWND owner, const std::string& address) { (void)help_.ShowAddress(owner, address); });
    if (!Create(nullptr)) return;
    if (show) ::ShowWindow(Hwnd(), SW_SHOW);
    MSG msg;
    // The windows are Unicode windows: the wide loop keeps typed characters of any script whole.
    while (!loopEnded_ && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (Hwnd() && ::IsDialogMessageW(Hwnd(), &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (Hwnd() && ::IsWindowVisible(Hwnd())) ::ShowWindow(Hwnd(), SW_HIDE);
    // An automatic update still running is stopped (its network handles closed, so no read holds
    // it) and the process waits for it: its last messages are handled while it ends.
    AutoUpdate::RequestStop();
    (void)update_worker::WaitForEnd();
    // Exit ends the loop only with no run in progress, but WM_QUIT or a failing GetMessage can end
    // it during one, with the worker blocked in a send to this thread.
    EndRunAnsweringWorker();
    driver_.WaitForWorker();
    if (Hwnd()) ::DestroyWindow(Hwnd());
}

BOOL CDlgMain::OnInitDialog() {
    skin_ = std::make_unique<SkinResources>();
    skin_->Install();
    treeImages_ = std::make_unique<TargetTreeImages>();
    treeImages_->Install();
    const BOOL result = CMyDialog::OnInitDialog();
    HWND hwnd = Hwnd();
    HINSTANCE instance = CDialog::ResourceModule();

    ::SetWindowTextA(hwnd, "Tracelorn");
    icon_ = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_TRACELORN), IMAGE_ICON, 32, 32, LR_SHARED));
    smallIcon_ = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_TRACELORN), IMAGE_ICON, 16, 16, LR_SHARED));
    if (!icon_) icon_ = smallIcon_ = ::LoadIconA(nullptr, IDI_APPLICATION);
    if (!smallIcon_) smallIcon_ = icon_;
    ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    header_.Reset(::LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_MAIN_HEADER)));
    footer_.Reset(::LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_MAIN_FOOTER)));

    tray_.Create(ID_TRAY_ICON, IDM_TRAY);
    tray_.menuAllowed = [this] { return OtherDialogsOpen() == 0 && driver_.RunState() == RunIdle; };
    tray_.windowShown = [this] { return ::IsWindowVisible(Hwnd()) != FALSE; };
    tray_.onEvent = [this](LPARAM event) { OnTrayEvent(event); };
    tray_.SetNotificationWindow(hwnd, WM_TRAY_ICON);
    (void)tray_.SetIcon(ID_TRAY_ICON);
    // A notice about the start (custom targets that could not be read) is worth more than "I'm
    // here...", and shows whether or not that greeting is wanted.
    if (!options_.startNotice.empty())
        (void)tray_.ShowBalloon(options_.startNotice, "Tracelorn", 10000, NIIF_WARNING);
    else if (catalog_.Settings().notifyWhenStart)
        (void)tray_.ShowBalloon("I'm here...", "Tracelorn", 3000);

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
    ::SetTimer(hwnd, kSchedulerTimer, AutoKillScheduler::kPeriodMs, nullptr);
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
    if (id == IDC_RESULTS && code == LBN_DBLCLK) {
        OpenDetails(list_.Selection());
        return true;
    }
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
        case IDC_UPDATE_NOW: OpenUpdateDialog(Hwnd()); return true;
        case ID_AUTO_UPDATE: (void)StartAutoUpdate(); return true;
        case IDC_OPTIONS: OpenOptions(); return true;
        case IDC_ABOUT: OpenAbout(); return true;
        default: return CMyDialog::OnCommand(id, code, control);  // the frame's close button: Cancel
    }
}

void CDlgMain::StartAutoKill() {
    if (AnyOtherDialogOpen()) return;
    driver_.StartAutoKill();
}

bool CDlgMain::StartAutoUpdate() { return autoUpdate_.Start(Hwnd()); }

void CDlgMain::OpenOptions() {
    if (CDlgOptions::BringOpenToFront()) return;
    if (driver_.RunState() != RunIdle) return;
    CDlgOptions::Services services;
    services.openUpdate = [this](HWND owner) { OpenUpdateDialog(owner); };
    services.playEndSound = [] { CTrayIcon::PlayEndSound(); };
    services.customTargetsChanged = options_.customTargetsChanged;
    CDlgOptions dialog(catalog_, std::move(services));
    if (dialog.DoModal(Hwnd()) != IDOK) return;
    if (options_.saveAll) options_.saveAll();
}

void CDlgMain::OpenAbout() {
    if (CDlgAbout::BringOpenToFront()) return;
    CDlgAbout dialog(catalog_);
    (void)dialog.DoModal(Hwnd());
}

// "Update NOW!" of the main window and of the Settings page: the update dialog, modal over `owner`.
void CDlgMain::OpenUpdateDialog(HWND owner) {
    CDlgUpdate dialog(catalog_);
    (void)dialog.DoModal(owner);
}

void CDlgMain::OnTimer(UINT_PTR id) {
    if (id == kSchedulerTimer) scheduler_.OnTick();
}

void CDlgMain::OnClose() {
    catalog_.Settings().showMainWnd = ::IsWindowVisible(Hwnd()) != FALSE;
    OnCancel();
}

// Hide, Escape, the frame's close button and Alt+F4: stop a run, end after Exit, or hide.
void CDlgMain::OnCancel() {
    if (driver_.RunState() != RunIdle) {
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

void CDlgMain::OnTrayEvent(LPARAM event) {
    // Only a click brings a window forward; balloon notifications of a hidden run (shown, hidden,
    // timed out) must not take the focus, or the next Escape would stop the run.
    const bool click = event == WM_LBUTTONDOWN || event == WM_LBUTTONUP || event == WM_LBUTTONDBLCLK ||
                       event == WM_RBUTTONDOWN || event == WM_RBUTTONUP || event == WM_RBUTTONDBLCLK ||
                       event == WM_MBUTTONDOWN || event == WM_MBUTTONUP || event == WM_CONTEXTMENU ||
                       event == NIN_BALLOONUSERCLICK;
    if (click) CMyDialog::BringLastToFront();
    const bool running = driver_.RunState() != RunIdle;
    if (!running && event == WM_LBUTTONDBLCLK) ToggleMode();
    if (running && !::IsWindowVisible(Hwnd()) && event == NIN_BALLOONUSERCLICK) driver_.Stop();
}

LRESULT CDlgMain::OnMessage(UINT message, WPARAM wp, LPARAM lp, bool& handled) {
    handled = true;
    if (bridge_.OnMessage(message, wp, lp)) return 0;
    switch (message) {
        case WM_CLOSE: OnClose(); return 0;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wp) != Item(IDC_RESULTS)) break;
            ShowResultMenu(lp);
            return 0;
        case update::kNotifyMessage:
            // Also DM_SETDEFID: only the automatic update's own notifications are taken here.
            if (!autoUpdate_.OnNotification(Hwnd(), wp, lp)) break;
            return 0;
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
    const PaintDc paint(Hwnd());
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    ::DrawIcon(paint.Get(), (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2,
               (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2, icon_);
    return true;
}

void CDlgMain::PaintContent(HDC dc, const RECT&) {
    using main_layout::kFooter;
    using main_layout::kHeader;
    DrawPicture(dc, header_.Get(), kHeader.x, kHeader.y, kHeader.width, kHeader.height);
    DrawPicture(dc, footer_.Get(), kFooter.x, kFooter.y, kFooter.width, kFooter.height);
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
    AutoUpdate::RequestStop();
    tray_.Destroy();
    CMyDialog::OnDestroy();
}

void CDlgMain::LoadBanner() {
    HWND control = Item(IDC_BANNER);
    shownBanner_.reset();
    banner_.Clear();
    ::ShowWindow(control, SW_HIDE);

    const std::optional<BannerChoice> next = NextBanner(ReadBannerFile(options_.programFolder + "\\banner.qbf"),
                                                        g_bannerCounter, AnsiCodePageText());
    if (!next) return;
    const Banner& banner = next->banner;
    if (!banner_.SetImage(next->image.data(), next->image.size(), banner.imageWidth, banner.numImages)) return;
    banner_.SetAnimation(banner.animTime > 0 ? static_cast<UINT>(banner.animTime) : 0,
                         banner.animType == 1 ? skin_geometry::BannerMode::BackAndForth
                                              : skin_geometry::BannerMode::Loop);
    ::SetWindowPos(control, nullptr, banner.wndX, banner.wndY, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    shownBanner_ = banner;
    ::ShowWindow(control, SW_SHOW);
}

void CDlgMain::OpenBannerUrl() {
    if (!shownBanner_ || !IsOpenableBannerUrl(shownBanner_->url)) return;
    ::ShellExecuteW(Hwnd(), L"open", WideFromUtf8(shownBanner_->url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// --- ActionForm: on the window thread ---

void CDlgMain::ClearResultLines() { list_.Clear(); }
void CDlgMain::AddResultLine(const ResultLine& line) { list_.AddLine(line); }
void CDlgMain::DeleteLastResultLine() { list_.DeleteLastLine(); }
void CDlgMain::RepaintResultList() { ::UpdateWindow(Item(IDC_RESULTS)); }
bool CDlgMain::IsShown() { return Hwnd() && ::IsWindowVisible(Hwnd()); }

void CDlgMain::ShowBalloon(const std::string& text, const std::string& title, uint32_t timeoutMs) {
    (void)tray_.ShowBalloon(text, title, timeoutMs);
}

void CDlgMain::ShowRunningForm(const std::string& stopCaption, int progressRange) {
    EnableItems(kRowIds, false);
    ShowItems({IDC_SCAN, IDC_KILL}, false);
    ::SetWindowTextA(Item(IDC_STOP), stopCaption.c_str());
    ShowItems({IDC_STOP}, true);
    HWND bar = Item(IDC_PROGRESS);
    RECT list{}, rect{};
    ::GetWindowRect(Item(IDC_RESULTS), &list);
    ::GetWindowRect(bar, &rect);
    ::SetWindowPos(bar, nullptr, 0, 0, (list.right - list.left) + 2, rect.bottom - rect.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    progress_.SetRange(0, progressRange);
    progress_.SetPos(0);
    progress_.SetStep(1);
    ShowItems({IDC_PROGRESS}, true);
}

void CDlgMain::StepProgress() { progress_.StepIt(); }

void CDlgMain::ShowIdleForm() {
    EnableItems(kRowIds, true);
    ShowItems({IDC_STOP, IDC_PROGRESS}, false);
    ShowItems({IDC_SCAN, IDC_KILL}, true);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void CDlgMain::Repaint() {
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
    ::UpdateWindow(Hwnd());
}

void CDlgMain::PlayEndSound() { CTrayIcon::PlayEndSound(); }
