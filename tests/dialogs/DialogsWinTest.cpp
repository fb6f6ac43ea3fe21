// The Options dialog with its pages and the About dialog, built from their real templates and
// driven through their controls; the program around them (update dialog, sound, file dialog,
// shell) is replaced by recording fakes. And the pixel layout under different dialog fonts.
#include "dialogs/DlgAbout.h"
#include "dialogs/DlgDetails.h"
#include "dialogs/DlgAutoKillIds.h"
#include "dialogs/DlgOptions.h"
#include "dialogs/CheckTree.h"
#include "dialogs/DlgOthersIds.h"
#include "dialogs/TargetPagesIds.h"
#include "engine/Checkpoint.h"
#include "engine/ExcludeStore.h"
#include "engine/RemEntry.h"
#include "engine/VolumeMedia.h"
#include "engine/KillSettings.h"
#include "skin/PixelLayout.h"
#include "support/TemplateBuilder.h"
#include "platform/Text.h"
#include "targets/TargetCatalog.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void Click(HWND control) {
    ASSERT_NE(control, nullptr);
    ::SendMessageA(control, BM_CLICK, 0, 0);
    Pump();
}

// The page's own visibility (the modeless dialog around it is never shown in these tests).
bool Shown(HWND window) { return (::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }

bool Checked(HWND control) { return ::SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::string TextOf(HWND control) {
    char text[256] = {};
    ::GetWindowTextA(control, text, sizeof text);
    return text;
}

// A modeless Options dialog over a catalogue of its own; services record what they were asked.
class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        kill_settings::SetSecureDelete(true);
        kill_settings::SetPasses(2);
        catalog.Settings().scanTime = 1500;
        catalog.Settings().killTime = 4000;
        catalog.Settings().autoStart = true;
        catalog.Settings().akEveryTimeTime = 4;
    }
    void TearDown() override {
        if (dialog && dialog->Hwnd()) ::DestroyWindow(dialog->Hwnd());
        dialog.reset();
        CMyToolTipDialog::SetToolTipsEnabled(true);
    }
    void Open() {
        CDlgOptions::Services services;
        services.openUpdate = [this](HWND owner) { updateOwners.push_back(owner); };
        services.playEndSound = [this] { ++sounds; };
        services.chooseProgram = [this](HWND) {
            ++browses;
            return chosen;
        };
        dialog = std::make_unique<CDlgOptions>(catalog, std::move(services));
        ASSERT_TRUE(dialog->Create(nullptr));
        Pump();
    }
    HWND PageItem(int tab, int id) { return ::GetDlgItem(dialog->Page(tab).Hwnd(), id); }

    TargetCatalog catalog;
    std::unique_ptr<CDlgOptions> dialog;
    std::vector<HWND> updateOwners;
    int sounds = 0, browses = 0;
    std::string chosen = "C:\\Program Files\\Editor\\editor.exe";
};

TEST_F(OptionsDialog, OpensOnTargetsAndSwitchesTabs) {
    Open();
    EXPECT_EQ(CDlgOptions::OpenDialog(), dialog.get());
    EXPECT_EQ(CDlgOptions::CurrentTab(), CDlgOptions::kTargets);
    char title[64] = {};
    ::GetWindowTextA(dialog->Hwnd(), title, sizeof title);
    EXPECT_STREQ(title, "Tracelorn Options");
    // Enter finds OK: the dialog manager's own DM_GETDEFID is not taken by anything of ours.
    const LRESULT defId = ::SendMessageA(dialog->Hwnd(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(defId), DC_HASDEFID);
    EXPECT_EQ(LOWORD(defId), IDOK);

    for (int tab = 0; tab < 3; ++tab) {
        RECT page{};
        ::GetWindowRect(dialog->Page(tab).Hwnd(), &page);
        ::MapWindowPoints(nullptr, dialog->Hwnd(), reinterpret_cast<POINT*>(&page), 2);
        EXPECT_EQ(page.left, 30) << "every page at (30, 68)";
        EXPECT_EQ(page.top, 68);
        EXPECT_EQ(Shown(dialog->Page(tab).Hwnd()), tab == 0);
    }
    Click(::GetDlgItem(dialog->Hwnd(), IDC_TAB_SETTINGS));
    EXPECT_EQ(CDlgOptions::CurrentTab(), CDlgOptions::kSettings);
    EXPECT_TRUE(Shown(dialog->Page(CDlgOptions::kSettings).Hwnd()));
    EXPECT_FALSE(Shown(dialog->Page(CDlgOptions::kTargets).Hwnd()));
    EXPECT_EQ(dialog->Page(CDlgOptions::kSettings).HelpTopic(), "settings.html");
    Click(::GetDlgItem(dialog->Hwnd(), IDC_TAB_AUTOKILL));
    EXPECT_EQ(CDlgOptions::CurrentTab(), CDlgOptions::kAutoKill);
    EXPECT_FALSE(Shown(dialog->Page(CDlgOptions::kSettings).Hwnd()));
    EXPECT_EQ(dialog->Page(CDlgOptions::kAutoKill).HelpTopic(), "autokill.html");
    ::DestroyWindow(dialog->Hwnd());
    EXPECT_EQ(CDlgOptions::OpenDialog(), nullptr);
}

TEST_F(OptionsDialog, SettingsPageShowsConvertsAndStoresOnOk) {
    Open();
    const int s = CDlgOptions::kSettings;
    EXPECT_TRUE(Checked(PageItem(s, IDC_SCAN_NORMAL))) << "1500 ms opens as Normal";
    EXPECT_TRUE(Checked(PageItem(s, IDC_KILL_SLOW)));
    EXPECT_TRUE(Checked(PageItem(s, IDC_LEVEL_MEDIUM))) << "2 passes open as Medium";
    EXPECT_TRUE(Checked(PageItem(s, IDC_AUTO_START)));
    EXPECT_TRUE(Checked(PageItem(s, IDC_SEC_DEL)));

    Click(PageItem(s, IDC_UPDATE_NOW));
    ASSERT_EQ(updateOwners.size(), 1u) << "Update NOW! opens the update dialog at once";
    EXPECT_EQ(updateOwners[0], dialog->Hwnd()) << "over the Options dialog";

    Click(PageItem(s, IDC_AUTO_START));
    Click(PageItem(s, IDC_SHOW_TOOLTIPS));
    Click(PageItem(s, IDC_KILL_FAST));
    EXPECT_TRUE(catalog.Settings().autoStart) << "nothing changes before OK";
    Click(::GetDlgItem(dialog->Hwnd(), IDOK));
    EXPECT_EQ(dialog->Hwnd(), nullptr) << "OK ends the dialog";
    EXPECT_EQ(catalog.Settings().scanTime, 2000);
    EXPECT_EQ(catalog.Settings().killTime, 0);
    EXPECT_EQ(kill_settings::Passes(), 3);
    EXPECT_TRUE(kill_settings::SecureDelete());
    EXPECT_FALSE(catalog.Settings().autoStart);
    EXPECT_FALSE(catalog.Settings().showToolTips);
    EXPECT_FALSE(CMyToolTipDialog::ToolTipsEnabled()) << "the switch reaches every dialog";
}

TEST_F(OptionsDialog, ExtremeStaysAndCancelStoresNothing) {
    kill_settings::SetPasses(9);
    Open();
    EXPECT_TRUE(Checked(PageItem(CDlgOptions::kSettings, IDC_LEVEL_EXTREME)));
    Click(PageItem(CDlgOptions::kSettings, IDC_LEVEL_LOW));
    Click(PageItem(CDlgOptions::kSettings, IDC_SEC_DEL));
    Click(PageItem(CDlgOptions::kAutoKill, IDC_AK_WIN_START));
    Click(::GetDlgItem(dialog->Hwnd(), IDCANCEL));
    EXPECT_EQ(dialog->Hwnd(), nullptr);
    EXPECT_EQ(kill_settings::Passes(), 9);
    EXPECT_TRUE(kill_settings::SecureDelete());
    EXPECT_FALSE(catalog.Settings().akWinStart);
    EXPECT_EQ(catalog.Settings().scanTime, 1500) << "Cancel leaves even an odd value as it was";

    Open();
    Click(::GetDlgItem(dialog->Hwnd(), IDOK));
    EXPECT_EQ(kill_settings::Passes(), 9) << "Extreme stays 9";
}

TEST_F(OptionsDialog, AutoKillPageEnablesBrowsesTestsAndStores) {
    catalog.Settings().akAppExitName = "C:\\old.exe";
    Open();
    const int a = CDlgOptions::kAutoKill;
    HWND list = PageItem(a, IDC_AK_INTERVAL);
    EXPECT_EQ(::SendMessageA(list, CB_GETCOUNT, 0, 0), 12);
    EXPECT_EQ(::SendMessageA(list, CB_GETCURSEL, 0, 0), 4);
    char text[64] = {};
    ::SendMessageA(list, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "Hour");
    EXPECT_FALSE(::IsWindowEnabled(list)) << "the list follows Auto-Kill every:";
    EXPECT_FALSE(::IsWindowEnabled(PageItem(a, IDC_AK_APP_PATH)));
    EXPECT_FALSE(::IsWindowEnabled(PageItem(a, IDC_AK_BROWSE)));

    Click(PageItem(a, IDC_AK_TEST));
    EXPECT_EQ(sounds, 1) << "Test plays the end sound";

    Click(PageItem(a, IDC_AK_EVERY_TIME));
    EXPECT_TRUE(::IsWindowEnabled(list));
    ::SendMessageA(list, CB_SETCURSEL, 11, 0);
    Click(PageItem(a, IDC_AK_APP_EXIT));
    EXPECT_TRUE(::IsWindowEnabled(PageItem(a, IDC_AK_APP_PATH)));
    EXPECT_TRUE(::IsWindowEnabled(PageItem(a, IDC_AK_BROWSE)));
    Click(PageItem(a, IDC_AK_BROWSE));
    EXPECT_EQ(browses, 1);
    Click(PageItem(a, IDC_AK_SUMMARY));
    Click(::GetDlgItem(dialog->Hwnd(), IDOK));

    const CleanerSettings& s = catalog.Settings();
    EXPECT_TRUE(s.akEveryTime);
    EXPECT_EQ(s.akEveryTimeTime, 11);
    EXPECT_TRUE(s.akAppExit);
    EXPECT_EQ(s.akAppExitName, chosen);
    EXPECT_FALSE(s.akSummary);
    EXPECT_TRUE(s.akScan);
    EXPECT_TRUE(s.akSoundEnd);
}

TEST_F(OptionsDialog, AutoKillPathIsBoundedAndNoSelectionStoresZero) {
    Open();
    const int a = CDlgOptions::kAutoKill;
    Click(PageItem(a, IDC_AK_APP_EXIT));
    ::SendMessageA(PageItem(a, IDC_AK_INTERVAL), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    const std::string longPath = "C:\\" + std::string(400, 'p') + ".exe";
    ::SetWindowTextA(PageItem(a, IDC_AK_APP_PATH), longPath.c_str());
    Click(::GetDlgItem(dialog->Hwnd(), IDOK));
    EXPECT_EQ(catalog.Settings().akEveryTimeTime, 0);
    EXPECT_EQ(catalog.Settings().akAppExitName, longPath.substr(0, 255));
}

TEST(AboutDialog, ShowsUnsignedTotalsOpensLinksAndAnimates) {
    TargetCatalog catalog;
    catalog.Totals().files = 4000000000u;
    catalog.Totals().items = 0;
    catalog.Totals().bytes = 0;
    std::vector<std::string> opened;
    CDlgAbout about(catalog, [&](HWND, const std::string& address) { opened.push_back(address); });
    ASSERT_TRUE(about.Create(nullptr));
    EXPECT_EQ(CDlgAbout::OpenDialog(), &about);
    char text[256] = {};
    ::GetWindowTextA(::GetDlgItem(about.Hwnd(), IDC_ABOUT_STATISTICS), text, sizeof text);
    EXPECT_STREQ(text, "Tracelorn has killed 4000000000 Files, 0 Items\nand freed 0,00 KB disk space since installation!");
    ::GetWindowTextA(::GetDlgItem(about.Hwnd(), IDC_ABOUT_NAME), text, sizeof text);
    EXPECT_STREQ(text, "Tracelorn 2.3");
    const LRESULT defId = ::SendMessageA(about.Hwnd(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(LOWORD(defId), IDOK);

    Click(::GetDlgItem(about.Hwnd(), IDC_ABOUT_HOME));
    Click(::GetDlgItem(about.Hwnd(), IDC_ABOUT_MAKER));
    Click(::GetDlgItem(about.Hwnd(), IDC_ABOUT_MAIL));
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], std::string(CDlgAbout::kHomePage) + "?&from=tl23");
    EXPECT_EQ(opened[1], std::string(CDlgAbout::kMakerPage) + "?&from=tl23");
    EXPECT_EQ(opened[2], "mailto:support@quorvane.com");

    const DWORD start = ::GetTickCount();
    while (about.Ticks() < 2 && ::GetTickCount() - start < 5000) {
        Pump();
        ::Sleep(10);
    }
    EXPECT_GE(about.Ticks(), 2u) << "the emblem runs on its 200 ms timer";
    ::DestroyWindow(about.Hwnd());
    EXPECT_EQ(CDlgAbout::OpenDialog(), nullptr);
}

// The same pixel template under a small and a large dialog font: the dialog manager places the
// controls differently, the pixel layout puts them back on the same pixels.
TEST(PixelLayout, HoldsUnderAnyDialogFont) {
    for (int pointSize : {8, 20}) {
        TemplateBuilder t(true, WS_POPUP, 300, 200, pointSize, "MS Shell Dlg");
        t.Add({101, 20, 30, 120, 26, 0x80, "Button", WS_CHILD | WS_VISIBLE});
        t.Add({0xFFFFFFFFu, 20, 70, 150, 16, 0x82, "Label one", WS_CHILD | WS_VISIBLE});
        t.Add({0xFFFFFFFFu, 20, 90, 150, 16, 0x82, "Label two", WS_CHILD | WS_VISIBLE});
        const std::vector<uint8_t> bytes = t.Build();
        HWND dialog = ::CreateDialogIndirectParamA(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()),
                                                   nullptr, [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(PlaceInPixels(dialog, bytes.data(), bytes.size()));
        RECT client{};
        ::GetClientRect(dialog, &client);
        EXPECT_EQ(client.right, 300) << pointSize;
        EXPECT_EQ(client.bottom, 200) << pointSize;
        const RECT expected[3] = {{20, 30, 140, 56}, {20, 70, 170, 86}, {20, 90, 170, 106}};
        int i = 0;
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT), ++i) {
            ASSERT_LT(i, 3);
            RECT r{};
            ::GetWindowRect(child, &r);
            ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
            EXPECT_TRUE(::EqualRect(&r, &expected[i])) << "control " << i << " at point size " << pointSize << ": "
                                                       << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        }
        EXPECT_EQ(i, 3);
        ::DestroyWindow(dialog);
    }
}

// What the policy sets is greyed, explained by "Set by your administrator", and kept through OK.
TEST_F(OptionsDialog, PolicyLocksItsControlsAndOkKeepsTheForcedValues) {
    MachinePolicy policy;
    policy.secDel = true;
    policy.delRep = 4;
    policy.akWinStart = false;
    catalog.SetPolicy(policy);
    policy.ApplyTo(catalog);
    Open();
    HWND page = dialog->Page(CDlgOptions::kSettings).Hwnd();
    HWND secDel = PageItem(CDlgOptions::kSettings, IDC_SEC_DEL);
    EXPECT_FALSE(::IsWindowEnabled(secDel));
    EXPECT_FALSE(::IsWindowEnabled(PageItem(CDlgOptions::kSettings, IDC_LEVEL_LOW)));
    EXPECT_TRUE(::IsWindowEnabled(PageItem(CDlgOptions::kSettings, IDC_AUTO_START)));
    EXPECT_FALSE(::IsWindowEnabled(PageItem(CDlgOptions::kAutoKill, IDC_AK_WIN_START)));
    EXPECT_TRUE(::IsWindowEnabled(PageItem(CDlgOptions::kAutoKill, IDC_AK_BROWSER_CLOSED)));
    char text[80] = {};
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = page;
    info.uId = reinterpret_cast<UINT_PTR>(secDel);
    info.lpszText = text;
    ::SendMessageA(dialog->Page(CDlgOptions::kSettings).ToolTip(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, "Set by your administrator");

    Click(::GetDlgItem(dialog->Hwnd(), IDOK));
    EXPECT_TRUE(kill_settings::SecureDelete());
    EXPECT_EQ(kill_settings::Passes(), 4) << "a forced even count does not drift to the level's odd one";
    EXPECT_FALSE(catalog.Settings().akWinStart);
}

// The last descendant of `root` with this control id (pages nest inside the Targets tab; of the
// check-box pages that share a template, the custom one comes last).
HWND Descendant(HWND root, int id) {
    struct Search { int id; HWND found; } search{id, nullptr};
    ::EnumChildWindows(root, [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (::GetDlgCtrlID(w) == s->id) s->found = w;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HTREEITEM> Children(HWND tree, HTREEITEM parent) {
    std::vector<HTREEITEM> items;
    for (HTREEITEM i = parent ? TreeView_GetChild(tree, parent) : TreeView_GetRoot(tree); i; i = TreeView_GetNextSibling(tree, i))
        items.push_back(i);
    return items;
}

std::string ItemText(HWND tree, HTREEITEM item) {
    wchar_t text[128] = {};
    TVITEMW data{};
    data.mask = TVIF_TEXT | TVIF_HANDLE;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = 128;
    ::SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return Utf8FromWide(TrimNul(text));
}

std::vector<std::string> Texts(HWND tree, HTREEITEM parent = nullptr) {
    std::vector<std::string> texts;
    for (HTREEITEM i : Children(tree, parent)) texts.push_back(ItemText(tree, i));
    return texts;
}

// The tip the page gives for an item, asked as the tree asks it.
std::string TipOf(HWND tree, HTREEITEM item) {
    wchar_t text[128] = L"unset";
    NMTVGETINFOTIPW tip{};
    tip.hdr = {tree, static_cast<UINT_PTR>(::GetDlgCtrlID(tree)), TVN_GETINFOTIPW};
    tip.hItem = item;
    tip.pszText = text;
    tip.cchTextMax = 128;
    tip.lParam = TreeItemData(tree, item);
    ::SendMessageW(::GetParent(tree), WM_NOTIFY, tip.hdr.idFrom, reinterpret_cast<LPARAM>(&tip));
    return Utf8FromWide(TrimNul(text));
}

void Space(HWND tree, HTREEITEM item) {
    TreeView_SelectItem(tree, item);
    ::SendMessageW(tree, WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageW(tree, WM_KEYUP, VK_SPACE, 0);
    Pump();
}

// Imported targets under their groups, opened on demand, ticked a group at a time and searched
// within their groups; a target the policy forces keeps its greyed tick on both tree pages.
TEST_F(OptionsDialog, ApplicationsTreeGroupsSearchesAndKeepsForcedTicks) {
    for (int c = 0; c < static_cast<int>(Category::Applications); ++c) catalog.EndCategory(static_cast<Category>(c));
    for (const auto& [name, group] : std::vector<std::pair<std::string, std::string>>{
             {"Plug One", ""}, {"Chat Alpha", "Internet"}, {"Chat Beta", "Internet"}, {"Mail Gamma", "Internet"},
             {"Game Delta", "Games"}, {"Game Epsilon", "Games"}}) {
        Target& t = catalog.AddTarget(std::make_unique<Target>(name, "About " + name));
        t.SetGroup(group);
        t.SetSelected(false);
    }
    catalog.MarkCustomStart();
    catalog.AddTarget(std::make_unique<Target>("Custom Forced", ""));
    MachinePolicy policy;
    policy.targets = {{"Chat Beta", true}, {"Custom Forced", false}};
    catalog.SetPolicy(policy);
    policy.ApplyTo(catalog);
    Open();
    HWND tree = Descendant(dialog->Hwnd(), IDC_APP_TREE);
    ASSERT_TRUE(tree);
    HWND count = ::GetDlgItem(::GetParent(tree), IDC_SELECTED_COUNT);
    EXPECT_EQ(Texts(tree), (std::vector<std::string>{"Plug One", "Internet", "Games"}));
    HTREEITEM internet = Children(tree, nullptr)[1];
    EXPECT_TRUE(Children(tree, internet).empty()) << "a group's targets wait until it is opened";
    TreeView_Expand(tree, internet, TVE_EXPAND);
    ASSERT_EQ(Texts(tree, internet), (std::vector<std::string>{"Chat Alpha", "Chat Beta", "Mail Gamma"}));
    HTREEITEM beta = Children(tree, internet)[1];
    EXPECT_TRUE(TreeTicked(tree, beta) && TreeTickLocked(tree, beta));
    EXPECT_EQ(TipOf(tree, beta), "Set by your administrator");
    Space(tree, beta);
    EXPECT_TRUE(TreeTicked(tree, beta)) << "a forced tick stays";

    // The group's box ticks what it holds; the forced one keeps its own.
    Space(tree, internet);
    for (HTREEITEM i : Children(tree, internet)) EXPECT_TRUE(TreeTicked(tree, i)) << ItemText(tree, i);
    EXPECT_EQ(TextOf(count), "3");
    Space(tree, Children(tree, internet)[0]);
    EXPECT_FALSE(TreeTicked(tree, internet)) << "a cleared target clears its group's box";

    // The search keeps the matching targets inside their groups and drops the empty groups.
    HWND search = ::GetDlgItem(::GetParent(tree), IDC_APP_SEARCH);
    ::SetWindowTextA(search, "epsilon");
    Pump();
    ASSERT_EQ(Texts(tree), std::vector<std::string>{"Games"});
    EXPECT_EQ(Texts(tree, Children(tree, nullptr)[0]), std::vector<std::string>{"Game Epsilon"});
    Space(tree, Children(tree, nullptr)[0]);
    ::SetWindowTextA(search, "");
    Pump();
    EXPECT_EQ(Texts(tree), (std::vector<std::string>{"Plug One", "Internet", "Games"}));
    EXPECT_FALSE(TreeTicked(tree, Children(tree, nullptr)[2])) << "Game Delta was hidden, so not ticked";

    HWND custom = Descendant(dialog->Hwnd(), IDC_CUSTOM_TREE);
    ASSERT_EQ(Children(custom, nullptr).size(), 1u);
    HTREEITEM forced = Children(custom, nullptr)[0];
    Space(custom, forced);
    EXPECT_FALSE(TreeTicked(custom, forced));
    EXPECT_TRUE(TreeTickLocked(custom, forced));
    EXPECT_EQ(TipOf(custom, forced), "Set by your administrator");

    Click(::GetDlgItem(dialog->Hwnd(), IDOK));
    std::vector<std::string> selected;
    for (size_t i = 0; i < catalog.TargetCount(); ++i)
        if (catalog.TargetAt(i).Selected()) selected.push_back(catalog.TargetAt(i).Name());
    EXPECT_EQ(selected, (std::vector<std::string>{"Chat Beta", "Mail Gamma", "Game Epsilon"}));
}

}  // namespace

TEST(ExcludesPage, ListsAddsAndRemovesOnlyWhenOkIsPressed) {
    const std::string settings = "TracelornTest\\DlgExcludes" + std::to_string(::GetCurrentProcessId());
    ASSERT_TRUE(exclude_store::Add(settings, *ParseExclude("FILE|C:\\kept\\a.log")));
    ASSERT_TRUE(exclude_store::Add(settings, *ParseExclude("REG|HKCU\\Software\\Kept")));
    TargetCatalog catalog(settings);
    CDlgOptions::Services services;
    services.chooseExclude = [](HWND, bool folder) { return folder ? std::string("C:\\kept\\project") : std::string(); };
    CDlgOptions dialog(catalog, std::move(services));
    ASSERT_TRUE(dialog.Create(nullptr));
    Pump();
    HWND page = dialog.Page(CDlgOptions::kExcludes).Hwnd();
    HWND list = ::GetDlgItem(page, IDC_EXCLUDE_LIST);
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    Click(::GetDlgItem(page, IDC_EXCLUDE_ADD_FILE));  // the chooser was cancelled
    Click(::GetDlgItem(page, IDC_EXCLUDE_ADD_FOLDER));
    ASSERT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
    ::SendMessageW(list, LB_SETSEL, TRUE, 0);
    Click(::GetDlgItem(page, IDC_EXCLUDE_REMOVE));
    EXPECT_EQ(::SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(exclude_store::Read(settings).size(), 2u) << "nothing stored before OK";
    Click(::GetDlgItem(dialog.Hwnd(), IDOK));

    std::vector<std::string> stored;
    for (const auto& e : exclude_store::Read(settings)) stored.push_back(StoredExclude(e.exclude));
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(stored, (std::vector<std::string>{"PATH|C:\\kept\\project", "REG|HKCU\\Software\\Kept"}));
    ::SHDeleteKeyA(HKEY_CURRENT_USER, ("software\\" + settings).c_str());
}

namespace {
struct FakeMedia : VolumeMediaQuery {
    explicit FakeMedia(bool solid) : solid(solid) {}
    VolumeFacts FactsOf(const std::string&) override { return {!solid, solid}; }
    bool solid;
};
}  // namespace

TEST_F(OptionsDialog, SettingsPageTellsAboutSolidStateOnlyWhereTheVolumeIsOne) {
    for (const bool solid : {true, false}) {
        FakeMedia media(solid);
        volume_media::SetQuery(&media);
        Open();
        HWND skip = PageItem(CDlgOptions::kSettings, IDC_SKIP_SSD);
        wchar_t text[64] = {};
        ::GetWindowTextW(skip, text, 64);
        EXPECT_STREQ(text, L"Skip overwriting on solid-state drives");
        EXPECT_EQ(Shown(PageItem(CDlgOptions::kSettings, IDC_SSD_NOTE)), solid);
        ::DestroyWindow(dialog->Hwnd());
        volume_media::SetQuery(nullptr);
    }
}

namespace {
// Reports the test's lines as a walk would, one at a time with a checkpoint between; `endless`
// keeps reporting until the run is stopped.
class ReportingEntry : public RemEntry {
public:
    ReportingEntry(const std::vector<FoundItem>& items, bool endless) : RemEntry(RemKind::Special), items_(items), endless_(endless) {}
    void Scan() override {
        do {
            for (const FoundItem& item : items_) {
                Checkpoint();
                ReportFound(item);
                AddFile(item.size);
                if (endless_) ::Sleep(1);  // a slow walk, so the table stays small
            }
        } while (endless_);
    }
    void Kill() override {}

private:
    const std::vector<FoundItem>& items_;
    bool endless_;
};

FoundItem File(const char* folder, const char* name, uint64_t size) {
    return FoundItem{FoundItem::Kind::File, folder, name, size, 0};
}

std::wstring Cell(HWND list, int row, int column) {
    wchar_t text[260] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 260;
    ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

std::wstring Status(HWND dialog) {
    wchar_t text[128] = {};
    ::GetWindowTextW(::GetDlgItem(dialog, IDC_DETAILS_STATUS), text, 128);
    return text;
}

bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 400 && !done(); ++i) {
        Pump();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT);
    }
    return done();
}

void Select(HWND list, int row) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    Pump();
}
}  // namespace

TEST(DetailsWindow, ListsSortsFiltersAndKeepsWithoutTouchingTheLastScan) {
    const std::string settings = "TracelornTest\\DlgDetails" + std::to_string(::GetCurrentProcessId());
    TargetCatalog catalog(settings);
    std::vector<FoundItem> items{File("C:\\t\\a", "small.log", 10), File("C:\\t\\b", "Big.TMP", 9000),
                                 FoundItem{FoundItem::Kind::Rows, "C:\\t\\places.sqlite", "moz_places", 120, 0},
                                 FoundItem{FoundItem::Kind::RegistryValue, "HKEY_CURRENT_USER\\Software\\T", "mru", 0, 0}};
    auto target = std::make_unique<Target>("Fake Temp", "");
    target->AddEntry(std::make_unique<ReportingEntry>(items, false));
    Target& t = catalog.AddTarget(std::move(target));
    t.Scan();
    const RunCounters scanned = t.Counters();
    items.insert(items.begin() + 2, File("C:\\t\\a", "mid.log", 500));  // a file that came after the Scan

    CDlgDetails dialog(catalog, 0);
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND list = ::GetDlgItem(dialog.Hwnd(), IDC_DETAILS_LIST);
    ASSERT_TRUE(PumpUntil([&] { return Status(dialog.Hwnd()).find(L"reading") == std::wstring::npos; }));
    ASSERT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 5);
    EXPECT_EQ(Cell(list, 0, 1), L"Big.TMP") << "largest first";
    EXPECT_EQ(Cell(list, 2, 1), L"small.log");
    EXPECT_EQ(Cell(list, 3, 1), L"moz_places: 120 rows");
    EXPECT_TRUE(t.Counters() == scanned) << "the details leave the last Scan's numbers";

    NMLISTVIEW click{};
    click.hdr = {list, IDC_DETAILS_LIST, LVN_COLUMNCLICK};
    click.iSubItem = 1;
    ::SendMessageW(dialog.Hwnd(), WM_NOTIFY, IDC_DETAILS_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(Cell(list, 0, 1), L"Big.TMP") << "names ascending, in any case";
    EXPECT_EQ(Cell(list, 1, 1), L"mid.log");
    ::SendMessageW(dialog.Hwnd(), WM_NOTIFY, IDC_DETAILS_LIST, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(Cell(list, 0, 1), L"small.log") << "the same column again reverses";

    ::SetWindowTextW(::GetDlgItem(dialog.Hwnd(), IDC_DETAILS_FILTER), L"T\\A");
    Pump();
    ASSERT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2) << "the folder matches too";
    ::SetWindowTextW(::GetDlgItem(dialog.Hwnd(), IDC_DETAILS_FILTER), L"");
    Pump();

    Select(list, 2);  // the rows line: nothing to keep
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog.Hwnd(), IDC_DETAILS_KEEP)));
    Select(list, 0);  // small.log
    Click(::GetDlgItem(dialog.Hwnd(), IDC_DETAILS_KEEP_FOLDER));
    Select(list, 0);  // now the registry value
    EXPECT_EQ(Cell(list, 0, 1), L"mru");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog.Hwnd(), IDC_DETAILS_KEEP_FOLDER)));
    Click(::GetDlgItem(dialog.Hwnd(), IDC_DETAILS_KEEP));
    EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2) << "the folder's two files and the value went";
    std::vector<std::string> stored;
    for (const auto& e : exclude_store::Read(settings)) stored.push_back(StoredExclude(e.exclude));
    std::sort(stored.begin(), stored.end());
    EXPECT_EQ(stored, (std::vector<std::string>{"PATH|C:\\t\\a", "REG|HKEY_CURRENT_USER\\Software\\T"}));
    ::DestroyWindow(dialog.Hwnd());
    ::SHDeleteKeyA(HKEY_CURRENT_USER, ("software\\" + settings).c_str());
}

TEST(DetailsWindow, ClosingStopsAnEndlessScanAndRestoresItsCounters) {
    TargetCatalog catalog;
    auto target = std::make_unique<Target>("Endless", "");
    const std::vector<FoundItem> items{File("C:\\e", "x.tmp", 1)};
    target->AddEntry(std::make_unique<ReportingEntry>(items, true));
    Target& t = catalog.AddTarget(std::move(target));
    CDlgDetails dialog(catalog, 0);
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND list = ::GetDlgItem(dialog.Hwnd(), IDC_DETAILS_LIST);
    ASSERT_TRUE(PumpUntil([&] { return ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 1000; })) << "fills in batches";
    ::SendMessageW(dialog.Hwnd(), WM_COMMAND, IDCANCEL, 0);  // joins the worker
    EXPECT_EQ(dialog.Hwnd(), nullptr);
    EXPECT_EQ(t.Counters().files, 0u);
    EXPECT_FALSE(t.Scanned());
    EXPECT_FALSE(IsStopRequested());
}
