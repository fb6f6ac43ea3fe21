#include "dialogs/DlgTargets.h"

#include "dialogs/DlgTarget.h"
#include "dialogs/DlgTargetApp.h"
#include "dialogs/TargetPagesIds.h"
#include "res/ResourceIds.h"
#include "targets/TargetCatalog.h"

namespace {
constexpr int kTabIds[CDlgTargets::kTabCount] = {IDC_TAB_WINDOWS, IDC_TAB_BROWSERS, IDC_TAB_APPLICATIONS,
                                                  IDC_TAB_CUSTOM};
constexpr const char* kTabTips[CDlgTargets::kTabCount] = {"Windows Targets", "Internet Browsers Targets",
                                                           "Miscellaneous Applications Targets", "Custom Targets"};
constexpr int kPageX = 10;
constexpr int kPageY = 30;

// The look of a group: the catalogue's own caption and a browser's icon, unless the category has
// a caption and icon of its own here.
TargetGroup GroupOf(const CategoryInfo& info) {
    struct Known {
        Category category;
        const char* caption;
        int icon;
    };
    static const Known known[] = {
        {Category::WindowsApplets, "Windows Applets", IDI_GROUP_APPLETS},
        {Category::MsOffice, "MS Office (XP-2007)", IDI_GROUP_OFFICE},
        {Category::Firefox, "Firefox Mozilla (2.x)", IDI_GROUP_FIREFOX},
        {Category::Netscape, "Netscape (8.x)", IDI_GROUP_NETSCAPE},
        {Category::Opera, "Opera (9.x)", IDI_GROUP_OPERA},
        {Category::Flock, "Flock (0.7)", IDI_GROUP_FLOCK},
        {Category::Chrome, "Google Chrome", IDI_PAGE_BROWSERS},
        {Category::Edge, "Microsoft Edge", IDI_PAGE_BROWSERS},
    };
    TargetGroup group;
    group.category = static_cast<int>(info.category);
    group.caption = info.caption;
    group.icon = IDI_PAGE_BROWSERS;
    group.helpTopic = info.helpTopic;
    for (const Known& k : known) {
        if (k.category != info.category) continue;
        group.caption = k.caption;
        group.icon = k.icon;
    }
    return group;
}

// Windows: the Windows category with every category between it and the browsers as groups.
CDlgTarget::PageContent WindowsPage() {
    CDlgTarget::PageContent page;
    page.look = {CDlgTargets::kWindows, "Windows", IDI_PAGE_WINDOWS, "windows.html"};
    page.primary = static_cast<int>(Category::Windows);
    for (const CategoryInfo& info : Categories())
        if (info.category > Category::Windows && info.category < Category::InternetExplorer && !info.browser)
            page.groups.push_back(GroupOf(info));
    page.groupTop = 168;
    page.groupStep = 28;
    return page;
}

// Browsers: Internet Explorer with every other browser category the catalogue holds as a group.
CDlgTarget::PageContent BrowsersPage() {
    CDlgTarget::PageContent page;
    page.look = {CDlgTargets::kBrowsers, "Internet Explorer", IDI_PAGE_BROWSERS, "browser.html"};
    page.primary = static_cast<int>(Category::InternetExplorer);
    for (const CategoryInfo& info : Categories())
        if (info.browser && info.category != Category::InternetExplorer) page.groups.push_back(GroupOf(info));
    page.groupTop = 64;
    page.groupStep = 40;
    return page;
}

CDlgTarget::PageContent CustomPage() {
    CDlgTarget::PageContent page;
    page.look = {CDlgTargets::kCustom, "Custom Targets", 0, "custom.html"};
    page.primary = -1;
    return page;
}
}  // namespace

CDlgTargets::CDlgTargets(TargetCatalog& catalog, CustomChanged customChanged)
    : COptionsPage(IDD_TARGETS), catalog_(catalog) {
    pages_[kWindows] = std::make_unique<CDlgTarget>(catalog, WindowsPage());
    pages_[kBrowsers] = std::make_unique<CDlgTarget>(catalog, BrowsersPage());
    pages_[kApplications] = std::make_unique<CDlgTargetApp>(
        catalog, static_cast<int>(Category::Applications),
        CDlgTargetRoot::Look{kApplications, "Applications", IDI_GROUP_APPLETS, "app_targ.html"});
    pages_[kCustom] = std::make_unique<CDlgTarget>(catalog, CustomPage(), std::move(customChanged));
}

CDlgTargets::~CDlgTargets() = default;

BOOL CDlgTargets::OnInitDialog() {
    COptionsPage::OnInitDialog();
    for (int tab = 0; tab < kTabCount; ++tab) {
        (void)pages_[tab]->CreatePage(Hwnd(), kPageX, kPageY);
        if (tabs_[tab].AttachItem(Hwnd(), kTabIds[tab])) AddToolTip(kTabIds[tab], kTabTips[tab]);
    }
    ShowTab(kWindows);
    return FALSE;
}

void CDlgTargets::ShowTab(int tab) {
    if (tab == current_ || tab < 0 || tab >= kTabCount) return;
    for (int i = 0; i < kTabCount; ++i) {
        if (pages_[i]->Hwnd()) ::ShowWindow(pages_[i]->Hwnd(), i == tab ? SW_SHOW : SW_HIDE);
        tabs_[i].SetCurrent(i == tab);
    }
    current_ = tab;
    SetHelpTopic(pages_[tab]->HelpTopic());
}

bool CDlgTargets::OnCommand(WORD id, WORD code, HWND control) {
    (void)control;
    if (code != BN_CLICKED) return false;
    for (int tab = 0; tab < kTabCount; ++tab) {
        if (id != kTabIds[tab]) continue;
        ShowTab(tab);
        return true;
    }
    return false;
}

bool CDlgTargets::OnHelp() { return pages_[current_ < 0 ? 0 : current_]->ShowHelp(); }

void CDlgTargets::Apply() {
    for (const auto& page : pages_)
        if (page->Hwnd()) ::SendMessageA(page->Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    // The tree pages cannot grey one item: whatever they wrote, a forced target keeps its state.
    catalog_.Policy().ApplyTo(catalog_);
}
