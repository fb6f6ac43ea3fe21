#include "dialogs/DlgOptions.h"

#include "res/ResourceIds.h"
#include "skin/SkinResources.h"

namespace {
CDlgOptions* g_open = nullptr;  // the open Options dialog
int g_tab = CDlgOptions::kTargets;

constexpr int kTabIds[CDlgOptions::kTabCount] = {IDC_TAB_TARGETS, IDC_TAB_AUTOKILL, IDC_TAB_SETTINGS,
                                                 IDC_TAB_EXCLUDES, IDC_TAB_COOKIES};
constexpr const char* kTabTips[CDlgOptions::kTabCount] = {"Choose targets you want to Kill", "Auto-Kill Options",
                                                           "General Settings", "Files, folders and keys never removed",
                                                           "Sites whose cookies and site data stay"};
constexpr int kPageX = 30;
constexpr int kPageY = 68;
}  // namespace

CDlgOptions::CDlgOptions(TargetCatalog& catalog, Services services)
    : CMyDialog(IDD_OPTIONS),
      targets_(std::make_unique<CDlgTargets>(catalog, std::move(services.customTargetsChanged))),
      autoKill_(std::make_unique<CDlgAutoKill>(catalog, std::move(services.playEndSound),
                                               std::move(services.chooseProgram))),
      others_(std::make_unique<CDlgOthers>(catalog, std::move(services.openUpdate))),
      excludes_(std::make_unique<CDlgExcludes>(catalog, std::move(services.chooseExclude))),
      cookies_(std::make_unique<CDlgCookiesToKeep>(catalog, std::move(services.listCookieSites))) {
    SetPixelTemplate(true);
}

CDlgOptions::~CDlgOptions() {
    if (g_open == this) g_open = nullptr;
}

CDlgOptions* CDlgOptions::OpenDialog() { return g_open; }
int CDlgOptions::CurrentTab() { return g_tab; }

bool CDlgOptions::BringOpenToFront() {
    if (!g_open || !g_open->Hwnd()) return false;
    ::SetForegroundWindow(g_open->Hwnd());
    return true;
}

COptionsPage& CDlgOptions::Page(int tab) {
    switch (tab) {
    case kAutoKill: return *autoKill_;
    case kSettings: return *others_;
    case kExcludes: return *excludes_;
    case kCookies: return *cookies_;
    default: return *targets_;
    }
}

BOOL CDlgOptions::OnInitDialog() {
    g_open = this;
    CMyDialog::OnInitDialog();
    HWND hwnd = Hwnd();
    SetInnerPanel(true);
    HICON icon = static_cast<HICON>(::LoadImageA(ResourceModule(), MAKEINTRESOURCEA(IDI_TRACELORN), IMAGE_ICON, 16, 16, LR_SHARED));
    if (icon) ::SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

    for (int tab = 0; tab < kTabCount; ++tab) {
        (void)Page(tab).CreatePage(hwnd, kPageX, kPageY);
        if (tabs_[tab].AttachItem(hwnd, kTabIds[tab])) AddToolTip(kTabIds[tab], kTabTips[tab]);
    }
    if (ok_.AttachItem(hwnd, IDOK)) AddToolTip(IDOK, "Close Options dilaog and save options");
    if (cancel_.AttachItem(hwnd, IDCANCEL)) AddToolTip(IDCANCEL, "Close Options dilaog without saving options");
    if (help_.AttachItem(hwnd, IDC_OPTIONS_HELP)) {
        (void)help_.SetIcon(IDB_HELP_LINK);
        AddToolTip(IDC_OPTIONS_HELP, "Help");
    }
    const HFONT font = SkinResources::Get().Font(SkinFont::Bold16);
    ::SendMessageA(Item(IDOK), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ::SendMessageA(Item(IDCANCEL), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

    g_tab = -1;
    ShowTab(kTargets);
    return TRUE;
}

void CDlgOptions::ShowTab(int tab) {
    if (tab == g_tab || tab < 0 || tab >= kTabCount) return;
    const int previous = g_tab;
    g_tab = tab;
    if (previous >= 0 && Page(previous).Hwnd()) ::ShowWindow(Page(previous).Hwnd(), SW_HIDE);
    if (Page(tab).Hwnd()) ::ShowWindow(Page(tab).Hwnd(), SW_SHOW);
    for (int i = 0; i < kTabCount; ++i) tabs_[i].SetCurrent(i == tab);
}

bool CDlgOptions::OnCommand(WORD id, WORD code, HWND control) {
    if (code == BN_CLICKED) {
        for (int tab = 0; tab < kTabCount; ++tab) {
            if (id != kTabIds[tab]) continue;
            ShowTab(tab);
            return true;
        }
        if (id == IDC_OPTIONS_HELP) {
            (void)OnHelp();
            return true;
        }
    }
    return CMyDialog::OnCommand(id, code, control);
}

bool CDlgOptions::OnHelp() { return Page(g_tab).ShowHelp(); }

void CDlgOptions::OnOK() {
    for (int tab = 0; tab < kTabCount; ++tab)
        if (Page(tab).Hwnd()) ::SendMessageA(Page(tab).Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    CMyDialog::OnOK();
}

void CDlgOptions::OnDestroy() {
    if (g_open == this) g_open = nullptr;
    CMyDialog::OnDestroy();
}
