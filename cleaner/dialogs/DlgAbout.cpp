#include "dialogs/DlgAbout.h"

#include "dialogs/OptionsRules.h"
#include "platform/Text.h"
#include "res/ResourceIds.h"
#include "skin/SkinResources.h"
#include "targets/TargetCatalog.h"

#include <shellapi.h>

namespace {
CDlgAbout* g_open = nullptr;
constexpr UINT_PTR kLogoTimer = 1;
constexpr int kLogoX = 300, kLogoY = 40;
constexpr int kPictureX = 105, kPictureY = 260;
constexpr COLORREF kStatisticsColour = RGB(190, 50, 50);
}  // namespace

CDlgAbout::CDlgAbout(const TargetCatalog& catalog, AddressOpener open)
    : CMyDialog(IDD_ABOUT), catalog_(catalog), open_(open ? std::move(open) : AddressOpener(&CDlgAbout::OpenWithShell)) {
    SetPixelTemplate(true);
}

CDlgAbout::~CDlgAbout() {
    if (g_open == this) g_open = nullptr;
}

CDlgAbout* CDlgAbout::OpenDialog() { return g_open; }

bool CDlgAbout::BringOpenToFront() {
    if (!g_open || !g_open->Hwnd()) return false;
    ::SetForegroundWindow(g_open->Hwnd());
    return true;
}

void CDlgAbout::OpenWithShell(HWND owner, const std::string& address) {
    ::ShellExecuteW(owner, nullptr, WideFromUtf8(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

BOOL CDlgAbout::OnInitDialog() {
    g_open = this;
    CMyDialog::OnInitDialog();
    HWND hwnd = Hwnd();
    HINSTANCE module = ResourceModule();
    ::SetWindowTextA(hwnd, "About Tracelorn");
    HICON big = static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(IDI_TRACELORN), IMAGE_ICON, 32, 32, LR_SHARED));
    HICON small = static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(IDI_TRACELORN), IMAGE_ICON, 16, 16, LR_SHARED));
    if (big) ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (small) ::SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    picture_.Reset(::LoadBitmapA(module, MAKEINTRESOURCEA(IDB_ABOUT_PICTURE)));

    (void)ok_.AttachItem(hwnd, IDOK);
    (void)home_.AttachItem(hwnd, IDC_ABOUT_HOME);
    (void)maker_.AttachItem(hwnd, IDC_ABOUT_MAKER);
    (void)mail_.AttachItem(hwnd, IDC_ABOUT_MAIL);

    const SkinResources& skin = SkinResources::Get();
    if (name_.AttachItem(hwnd, IDC_ABOUT_NAME))
        ::SendMessageA(Item(IDC_ABOUT_NAME), WM_SETFONT, reinterpret_cast<WPARAM>(skin.Font(SkinFont::Title)), TRUE);
    if (statistics_.AttachItem(hwnd, IDC_ABOUT_STATISTICS)) {
        statistics_.SetTextColor(kStatisticsColour);
        ::SendMessageA(Item(IDC_ABOUT_STATISTICS), WM_SETFONT, reinterpret_cast<WPARAM>(skin.Font(SkinFont::Bold14)), TRUE);
    }
    // The other texts (labels) in the program's dialog font too.
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (LOWORD(::GetDlgCtrlID(child)) == 0xFFFF)
            ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(skin.Font(SkinFont::Normal)), TRUE);

    const RunCounters& totals = catalog_.Totals();
    ::SetWindowTextA(Item(IDC_ABOUT_STATISTICS),
                     options_rules::StatisticsText(totals.files, totals.items, totals.bytes).c_str());
    ::SetTimer(hwnd, kLogoTimer, 200, nullptr);
    return TRUE;
}

bool CDlgAbout::OnCommand(WORD id, WORD code, HWND control) {
    if (code == BN_CLICKED) {
        switch (id) {
        case IDC_ABOUT_HOME: open_(Hwnd(), options_rules::LinkAddress(kHomePage)); return true;
        case IDC_ABOUT_MAKER: open_(Hwnd(), options_rules::LinkAddress(kMakerPage)); return true;
        case IDC_ABOUT_MAIL: open_(Hwnd(), kSupportMail); return true;
        default: break;
        }
    }
    return CMyDialog::OnCommand(id, code, control);
}

void CDlgAbout::OnTimer(UINT_PTR id) {
    if (id != kLogoTimer) return;
    ++ticks_;
    const ImageStrip& emblem = SkinResources::Get().Emblem();
    RECT logo{kLogoX, kLogoY, kLogoX + emblem.FrameWidth(), kLogoY + emblem.FrameHeight()};
    ::InvalidateRect(Hwnd(), &logo, FALSE);
}

void CDlgAbout::PaintContent(HDC dc, const RECT& client) {
    (void)client;
    const ImageStrip& emblem = SkinResources::Get().Emblem();
    if (emblem.IsLoaded()) emblem.Draw(dc, options_rules::LogoFrame(ticks_), kLogoX, kLogoY);
    if (!picture_) return;
    const MemoryDc source(dc);
    if (!source) return;
    BITMAP info{};
    ::GetObjectA(picture_.Get(), sizeof info, &info);
    const SelectedObject selected(source.Get(), picture_.Get());
    ::BitBlt(dc, kPictureX, kPictureY, info.bmWidth, info.bmHeight, source.Get(), 0, 0, SRCCOPY);
}

void CDlgAbout::OnDestroy() {
    ::KillTimer(Hwnd(), kLogoTimer);
    if (g_open == this) g_open = nullptr;
    CMyDialog::OnDestroy();
}
