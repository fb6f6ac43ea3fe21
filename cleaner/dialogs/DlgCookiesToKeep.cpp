#include "dialogs/DlgCookiesToKeep.h"

#include "platform/Text.h"
#include "skin/SkinResources.h"
#include "skin/WindowText.h"
#include "targets/BrowserRows.h"
#include "targets/CookieSites.h"
#include "targets/CookieSitesOnDisk.h"
#include "targets/KeepListStore.h"
#include "targets/MachinePolicy.h"
#include "targets/TargetCatalog.h"

#include <commctrl.h>

namespace {
constexpr COLORREF kFrameLine = RGB(100, 100, 150);
constexpr COLORREF kFrameCaption = RGB(0, 60, 116);
constexpr UINT kListedMessage = WM_APP + 31;  // posted by the worker when the sites are known
}  // namespace

CDlgCookiesToKeep::CDlgCookiesToKeep(TargetCatalog& catalog, SiteLister lister)
    : COptionsPage(IDD_COOKIES_TO_KEEP), catalog_(catalog),
      lister_(lister ? std::move(lister) : SiteLister(&ListThisUser)) {}

CDlgCookiesToKeep::~CDlgCookiesToKeep() { StopListing(); }

std::vector<std::string> CDlgCookiesToKeep::ListThisUser(const std::atomic<bool>& stop) {
    return ListCookieSites(UserBrowserFolders(), &stop);
}

BOOL CDlgCookiesToKeep::OnInitDialog() {
    COptionsPage::OnInitDialog();
    HWND page = Hwnd();
    rows_ = std::make_unique<KeepListRows>(KeepListStore(catalog_.SettingsPath()).Sites(),
                                           catalog_.Policy().cookiesToKeep);
    if (add_.AttachItem(page, IDC_KEEP_ADD)) AddToolTip(IDC_KEEP_ADD, "Keep a site you type, such as example.com");
    AddToolTip(IDC_KEEP_SEARCH, "Shows only the sites whose name holds what you type");
    AddFramedControl(IDC_KEEP_SEARCH);
    AddFrame(RECT{10, 10, 436, 300}, kFrameLine, kFrameCaption, kFrameRounded, "Cookies to Keep:");
    SetHelpTopic("settings.html");
    if (list_.AttachList(Item(IDC_KEEP_LIST), ToolTip(), *rows_, [this] { UpdateStatus(); })) AddTip();
    Refill();
    StartListing();
    return FALSE;
}

// The list's tip depends on the line under the mouse, so its text is asked for when it shows.
void CDlgCookiesToKeep::AddTip() {
    if (!ToolTip()) return;
    TOOLINFOW info{};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = Hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(Item(IDC_KEEP_LIST));
    info.lpszText = LPSTR_TEXTCALLBACKW;
    ::SendMessageW(ToolTip(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

std::string CDlgCookiesToKeep::TipText() const {
    HWND list = Item(IDC_KEEP_LIST);
    POINT point{};
    size_t row = 0;
    if (!::GetCursorPos(&point) || !::ScreenToClient(list, &point) || !rows_ ||
        !list_.RowAt(point, row))
        return "Tick the sites whose cookies and site data stay";
    const KeepRow& r = rows_->Row(row);
    if (r.locked) return kSetByAdministrator;
    return r.kept ? "Kept: its cookies and site data stay in every browser"
                  : "Tick to keep this site's cookies and site data";
}

void CDlgCookiesToKeep::StartListing() {
    listing_ = true;
    HWND page = Hwnd();
    SiteLister lister = lister_;
    try {
        worker_ = std::thread([this, page, lister] {
            std::vector<std::string> sites;
            try {
                sites = lister(stop_);
            } catch (...) {
                sites.clear();  // nothing crosses the thread's boundary; the page lists the kept sites
            }
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                listed_ = std::move(sites);
            }
            ::PostMessageW(page, kListedMessage, 0, 0);
        });
    } catch (...) {
        listing_ = false;  // no thread to be had: the page shows the keep-list alone
    }
    UpdateStatus();
}

void CDlgCookiesToKeep::TakeListed() {
    std::optional<std::vector<std::string>> sites;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        sites.swap(listed_);
    }
    if (!sites) return;
    listing_ = false;
    rows_->AddListed(*sites);
    Refill();
}

void CDlgCookiesToKeep::StopListing() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void CDlgCookiesToKeep::Refill() {
    if (!rows_) return;
    const std::vector<size_t> shown = rows_->Matching(window_text::Get(Item(IDC_KEEP_SEARCH)));
    list_.Show(shown);
    shown_ = shown.size();
    UpdateStatus();
}

void CDlgCookiesToKeep::UpdateStatus() {
    if (!rows_) return;
    const size_t count = rows_->Count(), kept = rows_->KeptCount();
    std::string text = listing_ ? "Looking for the sites that have cookies...\n" : std::string();
    if (shown_ != count) text += "Showing " + std::to_string(shown_) + " of ";
    text += std::to_string(count) + (count == 1 ? " site, " : " sites, ") + std::to_string(kept) + " kept";
    (void)window_text::Set(Item(IDC_KEEP_STATUS), text);
}

void CDlgCookiesToKeep::AddTyped() {
    CDlgAddSite dialog;
    if (dialog.DoModal(::GetAncestor(Hwnd(), GA_ROOT)) != IDOK || dialog.Site().empty()) return;
    const size_t row = rows_->AddTyped(dialog.Site());
    // The new site shows whatever was searched for before.
    (void)window_text::Set(Item(IDC_KEEP_SEARCH), std::string());
    Refill();
    (void)list_.Select(row);
}

bool CDlgCookiesToKeep::OnCommand(WORD id, WORD code, HWND control) {
    (void)control;
    if (id == IDC_KEEP_SEARCH && code == EN_CHANGE) {
        Refill();
        return true;
    }
    if (id == IDC_KEEP_ADD && code == BN_CLICKED) {
        AddTyped();
        return true;
    }
    return false;
}

LRESULT CDlgCookiesToKeep::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    (void)wParam;
    if (message == kListedMessage) {
        handled = true;
        TakeListed();
        return 0;
    }
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header && header->code == TTN_GETDISPINFOW &&
            header->idFrom == reinterpret_cast<UINT_PTR>(Item(IDC_KEEP_LIST))) {
            tip_ = WideFromUtf8(TipText());
            reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = &tip_[0];
            handled = true;
            return 0;
        }
    }
    return COptionsPage::OnMessage(message, wParam, lParam, handled);
}

void CDlgCookiesToKeep::OnDestroy() {
    StopListing();
    COptionsPage::OnDestroy();
}

void CDlgCookiesToKeep::Apply() {
    if (!rows_) return;
    const KeepListStore store(catalog_.SettingsPath());
    for (const std::string& site : rows_->ToRemove()) (void)store.Remove(site);
    for (const std::string& site : rows_->ToAdd()) (void)store.Add(site);
}

// CDlgAddSite ------------------------------------------------------------------------------------

CDlgAddSite::CDlgAddSite() : CMyDialog(IDD_ADD_SITE) { SetPixelTemplate(true); }

std::string CDlgAddSite::RefusalOf(const std::string& text) {
    if (NormalizedSite(text).empty()) return "Type the name of a site, such as example.com.";
    return "\"" + text + "\" is not the name of a site. Type its host name, such as example.com, without "
           "\"http://\", a port or a path.";
}

BOOL CDlgAddSite::OnInitDialog() {
    CMyDialog::OnInitDialog();
    HWND hwnd = Hwnd();
    const HFONT font = SkinResources::Get().Font(SkinFont::Normal);
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (ok_.AttachItem(hwnd, IDOK)) AddToolTip(IDOK, "Keep this site");
    if (cancel_.AttachItem(hwnd, IDCANCEL)) AddToolTip(IDCANCEL, "Close without adding a site");
    AddFramedControl(IDC_ADD_SITE_TEXT);
    ::SetFocus(Item(IDC_ADD_SITE_TEXT));
    return FALSE;
}

void CDlgAddSite::OnOK() {
    const std::string text = window_text::Get(Item(IDC_ADD_SITE_TEXT));
    const std::optional<std::string> site = TypedSite(text);
    if (!site) {
        window_text::Message(Hwnd(), RefusalOf(text), "Cookies to Keep", MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(Item(IDC_ADD_SITE_TEXT));
        return;
    }
    site_ = *site;
    CMyDialog::OnOK();
}
