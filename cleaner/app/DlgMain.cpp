#include "app/DlgMain.h"

#include "app/BannerImage.h"
#include "app/DlgMainIds.h"
#include "app/RowLayout.h"
#include "engine/Checkpoint.h"
#include "targets/TargetCatalog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {
constexpr UINT kTrayMessage = WM_USER;            // the tray icon's callback (also DM_GETDEFID)
constexpr UINT kRunStoppedMessage = WM_USER + 3;  // the checkpoint's "run stopped"
constexpr UINT kInvokeMessage = WM_APP + 1;       // work of the driver for the window thread
constexpr UINT kTrayIconId = 128;
constexpr UINT_PTR kSchedulerTimer = 5;
constexpr UINT_PTR kBannerTimer = 6;
constexpr int kRowIds[] = {IDC_OPTIONS, IDC_ABOUT, IDC_HIDE, IDC_EXIT};
constexpr COLORREF kLight = RGB(240, 240, 255), kListBack = RGB(220, 220, 255);

// Result list lines are stored as six header bytes, each its value + 1 so that none is zero, then
// the texts joined.
std::string EncodeLine(const ResultLine& line) {
    std::string text;
    text += static_cast<char>(static_cast<int>(line.kind) + 1);
    text += static_cast<char>(line.state + 1);
    for (const std::string* t : {&line.name, &line.files, &line.items, &line.size})
        text += static_cast<char>(t->size() + 1);
    text += line.name + line.files + line.items + line.size;
    return text;
}

struct DecodedLine {
    int kind = 0, state = 0;
    std::string texts[4];
};
bool DecodeLine(const std::string& text, DecodedLine& out) {
    if (text.size() < 6) return false;
    auto value = [&](size_t i) { return static_cast<unsigned char>(text[i]) - 1; };
    out.kind = value(0);
    out.state = value(1);
    size_t pos = 6;
    for (int i = 0; i < 4; ++i) {
        const size_t n = static_cast<size_t>(value(2 + static_cast<size_t>(i)));
        if (pos + n > text.size()) return false;
        out.texts[i] = text.substr(pos, n);
        pos += n;
    }
    return true;
}

HFONT MakeFont(int height, bool bold) {
    return ::CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                         ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, "Arial");
}

void FillColour(HDC dc, const RECT& r, COLORREF colour) {
    GdiObject brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &r, static_cast<HBRUSH>(brush.Get()));
}

void VerticalGradient(HDC dc, const RECT& r, COLORREF top, COLORREF bottom) {
    TRIVERTEX v[2] = {{r.left, r.top, static_cast<COLOR16>(GetRValue(top) << 8),
                       static_cast<COLOR16>(GetGValue(top) << 8), static_cast<COLOR16>(GetBValue(top) << 8), 0},
                      {r.right, r.bottom, static_cast<COLOR16>(GetRValue(bottom) << 8),
                       static_cast<COLOR16>(GetGValue(bottom) << 8), static_cast<COLOR16>(GetBValue(bottom) << 8), 0}};
    GRADIENT_RECT g{0, 1};
    ::GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
}

void TextAt(HDC dc, int x, int y, const std::string& text, COLORREF colour) {
    ::SetTextColor(dc, colour);
    ::TextOutA(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}
}  // namespace

CDlgMain::CDlgMain(TargetCatalog& catalog, Options options)
    : catalog_(catalog), options_(std::move(options)), driver_(catalog, *this) {}

CDlgMain::~CDlgMain() {
    if (hwnd_) ::DestroyWindow(hwnd_);
    driver_.WaitForWorker();
}

void CDlgMain::RunModal(bool show) {
    windowThread_ = ::GetCurrentThreadId();
    hwnd_ = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr,
                                 DialogProc, reinterpret_cast<LPARAM>(this));
    if (!hwnd_) return;
    if (show) ::ShowWindow(hwnd_, SW_SHOW);
    MSG msg;
    while (!loopEnded_ && ::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageA(hwnd_, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (hwnd_ && ::IsWindowVisible(hwnd_)) ::ShowWindow(hwnd_, SW_HIDE);
    // The loop ends only with no run in progress; a worker that is still returning sends nothing
    // more, so waiting for it here cannot block.
    driver_.WaitForWorker();
    if (hwnd_) ::DestroyWindow(hwnd_);
}

INT_PTR CALLBACK CDlgMain::DialogProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    CDlgMain* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDlgMain*>(lp);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    } else {
        self = reinterpret_cast<CDlgMain*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    try {
        return self->HandleMessage(message, wp, lp);
    } catch (...) {
        return FALSE;  // nothing may leave a window procedure
    }
}

INT_PTR CDlgMain::HandleMessage(UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog();
        case WM_COMMAND:
            if (LOWORD(wp) == IDC_BANNER && HIWORD(wp) == BN_CLICKED) {
                OpenBannerUrl();
                return TRUE;
            }
            if (HIWORD(wp) == BN_CLICKED || HIWORD(wp) == 0) OnCommand(LOWORD(wp));
            return TRUE;
        case WM_TIMER: OnTimer(wp); return TRUE;
        case WM_CLOSE: OnClose(); return TRUE;
        case WM_SHOWWINDOW: OnShowWindow(wp != FALSE); return FALSE;
        case WM_PAINT: OnPaint(); return TRUE;
        case WM_ERASEBKGND: return TRUE;
        case WM_QUERYDRAGICON: return reinterpret_cast<INT_PTR>(icon_);
        case WM_HELP: ShowHelp("main.html"); return TRUE;
        case WM_DESTROY: OnDestroy(); return FALSE;
        case WM_CTLCOLORLISTBOX: return reinterpret_cast<INT_PTR>(listBrush_.Get());
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC: return reinterpret_cast<INT_PTR>(lightBrush_.Get());
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
            if (item->CtlType == ODT_MENU) CMainTrayIcon::MeasureItem(*item);
            else if (item->CtlID == IDC_RESULTS) MeasureResultLine(*item);
            return TRUE;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (item->CtlType == ODT_MENU) CMainTrayIcon::DrawItem(*item);
            else if (item->CtlID == IDC_RESULTS) DrawResultLine(*item);
            else if (item->CtlID == IDC_BANNER) DrawBanner(*item);
            return TRUE;
        }
        case kTrayMessage:
            // The same number is the dialog manager's DM_GETDEFID (wParam 0): only the icon's own
            // id makes it a tray event, anything else goes on to the dialog manager.
            if (wp != kTrayIconId) return FALSE;
            OnTrayEvent(lp);
            return TRUE;
        case kRunStoppedMessage: driver_.OnRunStopped(); return TRUE;
        case kInvokeMessage: (*reinterpret_cast<const std::function<void()>*>(lp))(); return TRUE;
        default: return FALSE;
    }
}

BOOL CDlgMain::OnInitDialog() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    ::SetWindowTextA(hwnd_, "Tracelorn");
    icon_ = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_MAIN_ICON), IMAGE_ICON, 32, 32, LR_SHARED));
    smallIcon_ = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_MAIN_ICON), IMAGE_ICON, 16, 16, LR_SHARED));
    if (!icon_) icon_ = smallIcon_ = ::LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
    ::SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    lightBrush_.Reset(::CreateSolidBrush(kLight));
    listBrush_.Reset(::CreateSolidBrush(kListBack));
    listFont_.Reset(MakeFont(14, false));
    boldFont_.Reset(MakeFont(14, true));
    titleFont_.Reset(MakeFont(18, true));

    tray_.Create(kTrayIconId, IDM_TRAY);
    tray_.menuAllowed = [this] { return OtherDialogsOpen() == 0 && driver_.RunState() == 0; };
    tray_.windowShown = [this] { return ::IsWindowVisible(hwnd_) != FALSE; };
    tray_.SetNotificationWindow(hwnd_, kTrayMessage);
    tray_.SetIcon(kTrayIconId);
    if (catalog_.Settings().notifyWhenStart) tray_.ShowBalloon("I'm here...", "Tracelorn", 3000);

    tooltip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                                 nullptr, instance, nullptr);
    AddToolTip(IDC_SCAN, "Scans selected Targets");
    AddToolTip(IDC_KILL, "Kills selected Targets");
    AddToolTip(IDC_STOP, "Stop Action");
    AddToolTip(IDC_OPTIONS, "Tracelorn Options");
    AddToolTip(IDC_ABOUT, "About Tracelorn");
    AddToolTip(IDC_HIDE, "Switch to ICONIC mode");
    AddToolTip(IDC_EXIT, "Exit Tracelorn");
    if (tooltip_) ::SendMessageA(tooltip_, TTM_ACTIVATE, catalog_.Settings().showToolTips, 0);

    LayOutRow();
    ::SendMessageA(Item(IDC_RESULTS), WM_SETFONT, reinterpret_cast<WPARAM>(listFont_.Get()), FALSE);
    RECT list{};
    ::GetClientRect(Item(IDC_RESULTS), &list);
    listClientWidth_ = list.right;
    ::SetTimer(hwnd_, kSchedulerTimer, 1000, nullptr);
    return TRUE;
}

void CDlgMain::AddToolTip(int controlId, const char* text) {
    if (!tooltip_) return;
    TTTOOLINFOA info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(Item(controlId));
    info.lpszText = const_cast<char*>(text);
    ::SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info));
}

void CDlgMain::LayOutRow() {
    RECT client{}, first{};
    ::GetClientRect(hwnd_, &client);
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
    // The main window is the only skinned dialog so far; other dialogs join with the skin's list.
    return 0;
}

void CDlgMain::OnCommand(int id) {
    switch (id) {
        case IDC_SCAN: driver_.StartScan(); break;
        case IDC_KILL: driver_.StartKill(); break;
        case IDC_STOP: driver_.Stop(); break;
        case IDC_HIDE: OnCancel(); break;  // IDCANCEL: Hide, Escape, the frame's close button
        case IDC_CLOSE_FRAME: OnCancel(); break;
        case IDC_EXIT:
            exitRequested_ = true;
            ::PostMessageA(hwnd_, WM_CLOSE, 0, 0);
            break;
        case ID_TOGGLE_MODE: ToggleMode(); break;
        case ID_HELP_INDEX: ShowHelp("welcome.html"); break;
        case IDC_OPTIONS:  // the Options and About dialogs come with their own components
        case IDC_ABOUT:
        default: break;
    }
}

void CDlgMain::StartAutoKill() {
    if (OtherDialogsOpen() > 0) return;
    driver_.StartAutoKill();
}

void CDlgMain::OnTimer(UINT_PTR id) {
    if (id == kSchedulerTimer) {
        elapsedMs_ += 1000;
        return;
    }
    if (id == kBannerTimer) {
        ++bannerFrameCounter_;
        ::InvalidateRect(Item(IDC_BANNER), nullptr, FALSE);
    }
}

void CDlgMain::OnClose() {
    catalog_.Settings().showMainWnd = ::IsWindowVisible(hwnd_) != FALSE;
    OnCancel();
}

void CDlgMain::OnCancel() {
    if (driver_.RunState() != 0) {
        driver_.Stop();
        return;
    }
    if (exitRequested_) {
        loopEnded_ = true;
        ::PostMessageA(hwnd_, WM_NULL, 0, 0);
        return;
    }
    ::ShowWindow(hwnd_, SW_HIDE);
}

void CDlgMain::ToggleMode() {
    if (::IsWindowVisible(hwnd_)) {
        ::ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
}

void CDlgMain::OnTrayEvent(LPARAM event) {
    if (event != WM_MOUSEMOVE && ::IsWindowVisible(hwnd_)) ::SetForegroundWindow(hwnd_);
    const bool running = driver_.RunState() != 0;
    if (!running && event == WM_LBUTTONDBLCLK) ToggleMode();
    if (running && !::IsWindowVisible(hwnd_) && event == NIN_BALLOONUSERCLICK) driver_.Stop();
}

void CDlgMain::ShowHelp(const std::string& topic) {
    (void)help_.ShowTopic(hwnd_, options_.helpFile, topic);
}

void CDlgMain::OnShowWindow(bool shown) {
    if (shown) LoadBanner();
}

namespace {
size_t g_bannerCounter = 0;  // process-wide: every showing of the window shows the next banner
}

void CDlgMain::LoadBanner() {
    HWND control = Item(IDC_BANNER);
    ::KillTimer(hwnd_, kBannerTimer);
    banner_.reset();
    bannerImage_.Reset();
    bannerFrameCounter_ = 0;
    ::ShowWindow(control, SW_HIDE);

    std::ifstream in(options_.programFolder + "\\banner.qbf", std::ios::binary);
    if (!in) return;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::optional<BannerFile> file = BannerFile::Parse(std::move(bytes));
    if (!file) return;
    const size_t index = BannerIndexFor(g_bannerCounter, file->Count());
    g_bannerCounter = index + 1;
    const Banner& banner = file->At(index);
    std::vector<uint8_t> image;
    if (!file->ImageData(banner, image)) return;
    bannerImage_.Reset(DecodeImage(image));
    if (!bannerImage_) return;  // an undecodable image hides the banner
    BITMAP info{};
    ::GetObjectA(bannerImage_.Get(), sizeof info, &info);
    const int frameWidth = banner.imageWidth > 0 ? banner.imageWidth : info.bmWidth / banner.numImages;
    if (frameWidth <= 0 || info.bmHeight <= 0) {
        bannerImage_.Reset();
        return;
    }
    banner_ = banner;
    ::SetWindowPos(control, nullptr, banner.wndX, banner.wndY, frameWidth, info.bmHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (banner.animTime > 0) ::SetTimer(hwnd_, kBannerTimer, static_cast<UINT>(banner.animTime), nullptr);
    ::ShowWindow(control, SW_SHOW);
}

void CDlgMain::DrawBanner(const DRAWITEMSTRUCT& item) {
    if (!banner_ || !bannerImage_) return;
    BITMAP info{};
    ::GetObjectA(bannerImage_.Get(), sizeof info, &info);
    const int n = std::max(1, banner_->numImages);
    const int frameWidth = banner_->imageWidth > 0 ? banner_->imageWidth : info.bmWidth / n;
    const int counter = bannerFrameCounter_;
    int frame = counter % n;
    if (banner_->animType == 1 && (counter / n) % 2 == 0) frame = n - 1 - counter % n;
    HDC source = ::CreateCompatibleDC(item.hDC);
    HGDIOBJ old = ::SelectObject(source, bannerImage_.Get());
    ::BitBlt(item.hDC, 0, 0, frameWidth, info.bmHeight, source, frame * frameWidth, 0, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
}

void CDlgMain::OpenBannerUrl() {
    if (!banner_ || !IsOpenableBannerUrl(banner_->url)) return;
    ::ShellExecuteA(hwnd_, "open", banner_->url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CDlgMain::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(hwnd_, &ps);
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    if (::IsIconic(hwnd_)) {
        const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        ::DrawIcon(dc, x, y, icon_);
        ::EndPaint(hwnd_, &ps);
        return;
    }
    FillColour(dc, client, kLight);
    RECT title{0, 0, client.right, 27};
    VerticalGradient(dc, title, RGB(120, 115, 170), RGB(70, 65, 120));
    RECT bottom{0, client.bottom - 48, client.right, client.bottom};
    VerticalGradient(dc, bottom, RGB(120, 115, 170), RGB(70, 65, 120));
    ::SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = ::SelectObject(dc, titleFont_.Get());
    TextAt(dc, 32, 4, "Tracelorn", RGB(255, 255, 255));
    ::SelectObject(dc, old);
    ::EndPaint(hwnd_, &ps);
}

void CDlgMain::OnDestroy() {
    ::KillTimer(hwnd_, kSchedulerTimer);
    ::KillTimer(hwnd_, kBannerTimer);
    tray_.Destroy();
    if (tooltip_) ::DestroyWindow(tooltip_);
    tooltip_ = nullptr;
    hwnd_ = nullptr;
}

// --- The result list (drawn here until the skinned list takes it over) ---

void CDlgMain::MeasureResultLine(MEASUREITEMSTRUCT& item) {
    char buffer[1024] = {};
    const LRESULT n = ::SendMessageA(Item(IDC_RESULTS), LB_GETTEXTLEN, item.itemID, 0);
    if (n > 0 && n < static_cast<LRESULT>(sizeof buffer))
        ::SendMessageA(Item(IDC_RESULTS), LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(buffer));
    DecodedLine line;
    const int kind = DecodeLine(buffer, line) ? line.kind : 0;
    item.itemHeight = kind == 2 || kind == 4 ? 40 : kind == 5 ? 80 : 16;
}

void CDlgMain::DrawResultLine(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1)) return;
    HWND list = item.hwndItem;
    const LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, item.itemID, 0);
    if (length <= 0 || length > 4096) return;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ::SendMessageA(list, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    DecodedLine line;
    if (!DecodeLine(text, line)) return;

    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    FillColour(dc, r, (item.itemState & ODS_SELECTED) ? RGB(200, 200, 255) : kListBack);
    ::SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = ::SelectObject(dc, listFont_.Get());
    const int x = r.left, y = r.top;
    auto counts = [&](int row, const DecodedLine& l, bool scan) {
        (void)scan;
        TextAt(dc, x + 15, row, "Files:", RGB(80, 80, 80));
        TextAt(dc, x + 110, row, "Items:", RGB(80, 80, 80));
        TextAt(dc, x + 210, row, "Disk space:", RGB(80, 80, 80));
        TextAt(dc, x + 49, row, l.texts[1], RGB(190, 50, 50));
        TextAt(dc, x + 150, row, l.texts[2], RGB(190, 50, 50));
        TextAt(dc, x + 280, row, l.texts[3], RGB(190, 50, 50));
    };
    switch (line.kind) {
        case 0:
        case 1:
            TextAt(dc, x + 10, y + 1, line.texts[0], line.kind == 0 ? RGB(80, 80, 80) : RGB(180, 80, 80));
            break;
        case 2: {
            ::SelectObject(dc, boldFont_.Get());
            RECT area{r.left, r.top, r.right, r.bottom - 8};
            ::SetTextColor(dc, RGB(20, 20, 20));
            ::DrawTextA(dc, line.texts[0].c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            RECT rule{x + 50, y + 28, r.right - 50, y + 30};
            FillColour(dc, rule, RGB(100, 100, 100));
            break;
        }
        case 4: {
            RECT band{x + 10, y + 3, r.right - 10, y + 19};
            FillColour(dc, band, RGB(180, 180, 230));
            ::SelectObject(dc, boldFont_.Get());
            TextAt(dc, x + 20, y + 4, line.texts[0], RGB(160, 50, 50));
            ::SelectObject(dc, listFont_.Get());
            RECT top{x + 5, y, r.right - 5, y + 1}, bottom{x + 5, r.bottom - 1, r.right - 5, r.bottom};
            FillColour(dc, top, RGB(100, 100, 120));
            FillColour(dc, bottom, RGB(100, 100, 120));
            if (line.state == 1 || line.state == 2) {
                TextAt(dc, x + 10, y + 22, line.state == 1 ? "Scanning..." : "Killing...", RGB(80, 80, 80));
            } else {
                counts(y + 22, line, false);
                RECT s1{x + 100, y + 19, x + 101, r.bottom - 2}, s2{x + 200, y + 19, x + 201, r.bottom - 2};
                FillColour(dc, s1, RGB(180, 180, 230));
                FillColour(dc, s2, RGB(180, 180, 230));
            }
            break;
        }
        case 5: {
            ::SelectObject(dc, boldFont_.Get());
            RECT area{r.left, r.top + 16, r.right, r.top + 40};
            ::SetTextColor(dc, RGB(30, 30, 30));
            ::DrawTextA(dc, line.texts[0].c_str(), -1, &area, DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
            ::SelectObject(dc, listFont_.Get());
            counts(y + 50, line, false);
            break;
        }
        default: break;
    }
    ::SelectObject(dc, oldFont);
}

// --- ActionWindow: each call is carried out on the window thread ---

void CDlgMain::RunOnWindowThread(const std::function<void()>& work) {
    if (!hwnd_ || ::GetCurrentThreadId() == windowThread_) {
        work();
        return;
    }
    ::SendMessageA(hwnd_, kInvokeMessage, 0, reinterpret_cast<LPARAM>(&work));
}

void CDlgMain::SendRunStopped() {
    if (::GetCurrentThreadId() == windowThread_) {
        driver_.OnRunStopped();
        return;
    }
    ::SendMessageA(hwnd_, kRunStoppedMessage, 0, 0);
}

void CDlgMain::ClearResultLines() {
    RunOnWindowThread([&] { ::SendMessageA(Item(IDC_RESULTS), LB_RESETCONTENT, 0, 0); });
}

void CDlgMain::AddResultLine(const ResultLine& line) {
    RunOnWindowThread([&] {
        const std::string text = EncodeLine(line);
        HWND list = Item(IDC_RESULTS);
        const LRESULT index = ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (index >= 0) ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    });
}

void CDlgMain::DeleteLastResultLine() {
    RunOnWindowThread([&] {
        HWND list = Item(IDC_RESULTS);
        const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
        if (count > 0) ::SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(count - 1), 0);
    });
}

void CDlgMain::RepaintResultList() {
    RunOnWindowThread([&] { ::UpdateWindow(Item(IDC_RESULTS)); });
}

bool CDlgMain::IsShown() { return hwnd_ && ::IsWindowVisible(hwnd_); }

void CDlgMain::ShowBalloon(const std::string& text, const std::string& title, uint32_t timeoutMs) {
    RunOnWindowThread([&] { tray_.ShowBalloon(text, title, timeoutMs); });
}

void CDlgMain::ShowRunningForm(const std::string& stopCaption, int progressRange) {
    RunOnWindowThread([&] {
        for (int id : kRowIds) ::EnableWindow(Item(id), FALSE);
        ::ShowWindow(Item(IDC_SCAN), SW_HIDE);
        ::ShowWindow(Item(IDC_KILL), SW_HIDE);
        ::SetWindowTextA(Item(IDC_STOP), stopCaption.c_str());
        ::ShowWindow(Item(IDC_STOP), SW_SHOW);
        HWND progress = Item(IDC_PROGRESS);
        RECT list{}, bar{};
        ::GetWindowRect(Item(IDC_RESULTS), &list);
        ::GetWindowRect(progress, &bar);
        ::SetWindowPos(progress, nullptr, 0, 0, (list.right - list.left) + 2, bar.bottom - bar.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageA(progress, PBM_SETRANGE32, 0, progressRange);
        ::SendMessageA(progress, PBM_SETPOS, 0, 0);
        ::SendMessageA(progress, PBM_SETSTEP, 1, 0);
        ::ShowWindow(progress, SW_SHOW);
    });
}

void CDlgMain::StepProgress() {
    RunOnWindowThread([&] { ::SendMessageA(Item(IDC_PROGRESS), PBM_STEPIT, 0, 0); });
}

void CDlgMain::ShowIdleForm() {
    RunOnWindowThread([&] {
        for (int id : kRowIds) ::EnableWindow(Item(id), TRUE);
        ::ShowWindow(Item(IDC_STOP), SW_HIDE);
        ::ShowWindow(Item(IDC_PROGRESS), SW_HIDE);
        ::ShowWindow(Item(IDC_SCAN), SW_SHOW);
        ::ShowWindow(Item(IDC_KILL), SW_SHOW);
        ::InvalidateRect(hwnd_, nullptr, TRUE);
    });
}

void CDlgMain::Repaint() {
    RunOnWindowThread([&] { ::InvalidateRect(hwnd_, nullptr, TRUE); ::UpdateWindow(hwnd_); });
}

void CDlgMain::PlayEndSound() {
    RunOnWindowThread([&] { CTrayIcon::PlayEndSound(); });
}
