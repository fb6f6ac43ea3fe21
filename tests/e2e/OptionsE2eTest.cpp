// End-to-end: the Options and About dialogs of the real Tracelorn.exe, opened from the main window
// and the way the tray menu opens them, and the main window's layout.
#include "Cleaner.h"
#include "ListText.h"
#include "app/DlgMainIds.h"
#include "app/MainLayout.h"
#include "dialogs/DlgAboutIds.h"
#include "dialogs/DlgAutoKillIds.h"
#include "dialogs/DlgCookiesToKeepIds.h"
#include "dialogs/DlgOptionsIds.h"
#include "dialogs/DlgOthersIds.h"
#include "dialogs/DlgUpdateIds.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <sqlite3.h>

#include <set>

using namespace e2e;

namespace {

constexpr char kOptions[] = "Tracelorn Options";
constexpr char kAbout[] = "About Tracelorn";
constexpr char kUpdate[] = "Update Tracelorn";

// A program folder with a copy of the cleaner and nothing else: these cases never Scan or Kill.
class DialogsE2e : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();  // AutoStart 0, no Run entry
        SetSetting("ShowMainWnd", 1);
        // The update base address: a closed port on this machine, so "Update NOW!" fails at once
        // and nothing leaves the machine.
        SetSetting("UpdateURL", "http://127.0.0.1:9/");
        folder = root.Path() + "prog\\";
        exe = folder + "Tracelorn.exe";
        root.MakeFolder("prog");
        ASSERT_TRUE(::CopyFileA(BuiltCleaner().c_str(), exe.c_str(), FALSE));
    }
    void TearDown() override { ResetSettings(); ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }

    static bool Checked(HWND page, int id) {
        return ::SendMessageA(::GetDlgItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static void Press(HWND dialog, int id) { ::SendMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    // Shows the tab's page and returns it.
    static HWND ShowTab(HWND options, int tab, int controlOnPage) {
        Press(options, tab);
        HWND page = PageWith(options, controlOnPage);
        return page && WaitShown(page) ? page : nullptr;
    }
    static DWORD Setting(const char* name) {
        DWORD value = 0xDEAD;
        (void)ReadSetting(name, value);
        return value;
    }

    TempFolder root;
    std::string folder, exe;
};

TEST_F(DialogsE2e, OptionsKeepsWhatOkStoresAndNothingOfCancel) {
    {
        RunningCleaner cleaner(exe);
        ASSERT_TRUE(cleaner.WaitForWindow());
        cleaner.ClickLater(IDC_OPTIONS);  // the main window's button
        HWND options = cleaner.WaitForDialog(kOptions);
        ASSERT_TRUE(options) << "Options did not open from the main window";
        // Enter keeps finding OK: nothing of the dialog takes the dialog manager's DM_GETDEFID.
        const LRESULT defId = ::SendMessageA(options, DM_GETDEFID, 0, 0);
        EXPECT_EQ(HIWORD(defId), DC_HASDEFID);
        EXPECT_EQ(LOWORD(defId), IDOK);

        // A second request (as the tray menu sends it) brings this one forward, no second dialog;
        // the posted tab click after it is handled only once the request has been.
        cleaner.Command(IDC_OPTIONS);
        ::PostMessageA(::GetDlgItem(options, IDC_TAB_AUTOKILL), BM_CLICK, 0, 0);
        HWND autoKill = PageWith(options, IDC_AK_WIN_START);
        ASSERT_TRUE(autoKill && WaitShown(autoKill));
        EXPECT_EQ(cleaner.CountWindows(kOptions), 1);

        // No tray menu while Options is open.
        ::PostMessageA(cleaner.Window(), WM_TRAY_ICON, ID_TRAY_ICON, WM_RBUTTONUP);
        ::Sleep(1000);
        for (HWND w : WindowsOf(cleaner.Pid())) {
            char cls[16] = {};
            ::GetClassNameA(w, cls, sizeof cls);
            EXPECT_FALSE(std::string(cls) == "#32768" && ::IsWindowVisible(w)) << "a tray menu opened over Options";
        }

        EXPECT_FALSE(Checked(autoKill, IDC_AK_BROWSER_CLOSED));
        Press(autoKill, IDC_AK_BROWSER_CLOSED);
        EXPECT_TRUE(Checked(autoKill, IDC_AK_BROWSER_CLOSED));
        Press(autoKill, IDC_AK_TEST);  // plays the end sound; the program goes on

        HWND settings = ShowTab(options, IDC_TAB_SETTINGS, IDC_AUTO_START);
        ASSERT_TRUE(settings);
        EXPECT_FALSE(::IsWindowVisible(autoKill));
        EXPECT_FALSE(Checked(settings, IDC_AUTO_START));

        // "Update NOW!" opens the update dialog at once, over Options.
        ::PostMessageA(::GetDlgItem(settings, IDC_UPDATE_NOW), BM_CLICK, 0, 0);
        HWND update = cleaner.WaitForDialog(kUpdate);
        ASSERT_TRUE(update) << "Update NOW! did not open the update dialog";
        EXPECT_EQ(::GetWindow(update, GW_OWNER), options);
        for (int i = 0; i < 3 && ::IsWindow(update); ++i) {  // stops the update, then closes
            ::PostMessageA(::GetDlgItem(update, IDCANCEL), BM_CLICK, 0, 0);
            (void)WaitGone(update, 3000);
        }
        ASSERT_FALSE(::IsWindow(update));
        EXPECT_TRUE(::IsWindow(options)) << "Options stays open";

        Press(settings, IDC_AUTO_START);
        Press(settings, IDC_SCAN_SLOW);
        Press(options, IDOK);
        ASSERT_TRUE(WaitGone(options));

        // Stored at once on OK, before any exit. The save follows the dialog's end and writes the
        // Run entry last: once it is there, the settings are too.
        std::string run;
        ASSERT_TRUE(WaitFor([&] { return ReadRunEntry(run); })) << "AutoStart on writes the Run entry";
        EXPECT_EQ(Setting("AKBrowserClosed"), 1u);
        EXPECT_EQ(Setting("ScanTime"), 4000u);
        EXPECT_EQ(Setting("AutoStart"), 1u);
        EXPECT_EQ(_stricmp(run.c_str(), ("\"" + exe + "\" -ws").c_str()), 0) << run;
        EXPECT_FALSE(cleaner.Exited());
        cleaner.Exit();
        ASSERT_TRUE(cleaner.WaitForExit());
    }
    {
        // Kept across the restart; now change everything back and cancel.
        RunningCleaner cleaner(exe);
        ASSERT_TRUE(cleaner.WaitForWindow());
        cleaner.Command(IDC_OPTIONS);  // as the tray menu's "Options..." sends it
        HWND options = cleaner.WaitForDialog(kOptions);
        ASSERT_TRUE(options) << "Options did not open from the tray command";
        HWND autoKill = ShowTab(options, IDC_TAB_AUTOKILL, IDC_AK_WIN_START);
        ASSERT_TRUE(autoKill);
        EXPECT_TRUE(Checked(autoKill, IDC_AK_BROWSER_CLOSED));
        Press(autoKill, IDC_AK_BROWSER_CLOSED);
        HWND settings = ShowTab(options, IDC_TAB_SETTINGS, IDC_AUTO_START);
        ASSERT_TRUE(settings);
        EXPECT_TRUE(Checked(settings, IDC_AUTO_START));
        EXPECT_TRUE(Checked(settings, IDC_SCAN_SLOW));
        Press(settings, IDC_AUTO_START);
        Press(settings, IDC_SCAN_FAST);
        Press(options, IDCANCEL);
        ASSERT_TRUE(WaitGone(options));
        EXPECT_EQ(Setting("AKBrowserClosed"), 1u);
        EXPECT_EQ(Setting("AutoStart"), 1u);
        cleaner.Exit();
        ASSERT_TRUE(cleaner.WaitForExit());
    }
    EXPECT_EQ(Setting("AKBrowserClosed"), 1u) << "Cancel kept nothing, not even for the exit's save";
    EXPECT_EQ(Setting("ScanTime"), 4000u);
    std::string run;
    EXPECT_TRUE(ReadRunEntry(run));
    {
        RunningCleaner cleaner(exe);
        ASSERT_TRUE(cleaner.WaitForWindow());
        cleaner.ClickLater(IDC_OPTIONS);
        HWND options = cleaner.WaitForDialog(kOptions);
        ASSERT_TRUE(options);
        HWND settings = ShowTab(options, IDC_TAB_SETTINGS, IDC_AUTO_START);
        ASSERT_TRUE(settings);
        EXPECT_TRUE(Checked(settings, IDC_AUTO_START));
        EXPECT_TRUE(Checked(settings, IDC_SCAN_SLOW));
        // AutoStart off, then Enter: the default button is OK, and the Run entry goes.
        Press(settings, IDC_AUTO_START);
        ::PostMessageA(options, WM_KEYDOWN, VK_RETURN, 0);
        ASSERT_TRUE(WaitGone(options)) << "Enter closes Options with OK";
        EXPECT_TRUE(WaitFor([&] { return !ReadRunEntry(run); })) << "AutoStart off removes the Run entry";
        EXPECT_EQ(Setting("AutoStart"), 0u);
        cleaner.Exit();
        ASSERT_TRUE(cleaner.WaitForExit());
    }
}

TEST_F(DialogsE2e, AboutShowsTheTotalsUnsigned) {
    {
        // No config.cfg yet: totals 0/0/0.
        RunningCleaner cleaner(exe);
        ASSERT_TRUE(cleaner.WaitForWindow());
        cleaner.ClickLater(IDC_ABOUT);
        HWND about = cleaner.WaitForDialog(kAbout);
        ASSERT_TRUE(about);
        char text[256] = {};
        ::GetWindowTextA(::GetDlgItem(about, IDC_ABOUT_STATISTICS), text, sizeof text);
        EXPECT_STREQ(text, "Tracelorn has killed 0 Files, 0 Items\nand freed 0,00 KB disk space since installation!");
        const LRESULT defId = ::SendMessageA(about, DM_GETDEFID, 0, 0);
        EXPECT_EQ(LOWORD(defId), IDOK);
        ::PostMessageA(about, WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(WaitGone(about)) << "Enter closes About";
        cleaner.Exit();
        ASSERT_TRUE(cleaner.WaitForExit());
    }
    WriteTotals(folder, 4000000000u, 7, 5u * 1024 * 1024);
    RunningCleaner cleaner(exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    cleaner.Command(IDC_ABOUT);  // as the tray menu's "About" sends it
    HWND about = cleaner.WaitForDialog(kAbout);
    ASSERT_TRUE(about);
    char text[256] = {};
    ::GetWindowTextA(::GetDlgItem(about, IDC_ABOUT_STATISTICS), text, sizeof text);
    EXPECT_STREQ(text, "Tracelorn has killed 4000000000 Files, 7 Items\nand freed 5,00 MB disk space since installation!");
    Press(about, IDOK);
    EXPECT_TRUE(WaitGone(about));
    cleaner.Exit();
    ASSERT_TRUE(cleaner.WaitForExit());
}

// Client rectangle of a control of the main window.
RECT ClientRectOf(HWND window, int id) {
    RECT r{};
    ::GetWindowRect(::GetDlgItem(window, id), &r);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(DialogsE2e, MainWindowKeepsTheListBetweenItsPictures) {
    RunningCleaner cleaner(exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    using main_layout::kFooter;
    using main_layout::kHeader;
    const RECT list = ClientRectOf(cleaner.Window(), IDC_RESULTS);
    EXPECT_GE(list.top, kHeader.Bottom()) << "the list starts below the header picture";
    EXPECT_LE(list.bottom, kFooter.y) << "and ends above the footer panel";
    EXPECT_GE(list.left, kHeader.x);
    EXPECT_LE(list.right, kHeader.Right());
    for (int id : {IDC_SCAN, IDC_KILL, IDC_STOP}) {
        const RECT button = ClientRectOf(cleaner.Window(), id);
        EXPECT_GE(button.top, kFooter.y) << id << " lies on the footer panel";
        EXPECT_LE(button.bottom, kFooter.Bottom()) << id;
        EXPECT_GE(button.left, kFooter.x) << id;
        EXPECT_LE(button.right, kFooter.Right()) << id;
    }
    const RECT progress = ClientRectOf(cleaner.Window(), IDC_PROGRESS);
    EXPECT_GE(progress.top, list.bottom);
    EXPECT_LE(progress.bottom, kFooter.y);
    RECT client{};
    ::GetClientRect(cleaner.Window(), &client);
    EXPECT_EQ(client.right, 480);
    EXPECT_EQ(client.bottom, 530);
    cleaner.Exit();
    EXPECT_TRUE(cleaner.WaitForExit());
}

// The sites of a real Firefox and a real Chromium profile (the browsers' own cookie databases),
// one site stored by the user and one kept by the policy, on the "Cookies to Keep" page.
class CookiesToKeepE2e : public DialogsE2e {
protected:
    static constexpr char kPolicy[] = "Software\\Policies\\Quorvane\\Tracelorn\\CookiesToKeep";
    void SetUp() override {
        char roaming[MAX_PATH] = {}, local[MAX_PATH] = {};
        ASSERT_TRUE(::SHGetSpecialFolderPathA(nullptr, roaming, CSIDL_APPDATA, FALSE));
        ASSERT_TRUE(::SHGetSpecialFolderPathA(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE));
        mozilla = std::string(roaming) + "\\Mozilla";
        chromium = std::string(local) + "\\Chromium";
        for (const std::string& v : {mozilla, chromium})
            if (FolderExists(v)) GTEST_SKIP() << v << " exists already: not ours to use";
        DialogsE2e::SetUp();
        owned = true;
        // One site only each browser has, so that the list shows both were read.
        Plant(mozilla + "\\Firefox\\Profiles\\tl.default\\cookies.sqlite", "firefox/cookies.sqlite",
              "UPDATE moz_cookies SET host = '.Firefox-Only.test' WHERE host = 'gone.test'");
        Plant(chromium + "\\User Data\\Default\\Network\\Cookies", "chromium/Cookies",
              "UPDATE cookies SET host_key = 'chromium-only.test' WHERE host_key = 'gone.test'");
        root.MakeFileWith("ini", "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles\\tl.default\r\n");
        ASSERT_TRUE(::CopyFileA((root / "ini").c_str(), (mozilla + "\\Firefox\\profiles.ini").c_str(), FALSE));
        root.MakeFileWith("state", "{\"profile\":{\"info_cache\":{\"Default\":{\"name\":\"Me\"}}}}");
        ASSERT_TRUE(::CopyFileA((root / "state").c_str(), (chromium + "\\User Data\\Local State").c_str(), FALSE));
        const std::string keep = std::string(kSettingsKey) + "\\CookiesToKeep";
        ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, keep.c_str(), "stored-only.test", REG_SZ, "", 1), ERROR_SUCCESS);
        ASSERT_EQ(::RegSetKeyValueA(HKEY_CURRENT_USER, kPolicy, "1", REG_SZ, "Policy.test", 12), ERROR_SUCCESS);
    }
    void TearDown() override {
        if (!owned) return;
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Policies\\Quorvane");
        RemoveTree(mozilla);
        RemoveTree(chromium);
        DialogsE2e::TearDown();
    }
    void Plant(const std::string& path, const char* fixture, const char* change) {
        ASSERT_EQ(::SHCreateDirectoryExA(nullptr, path.substr(0, path.find_last_of('\\')).c_str(), nullptr), ERROR_SUCCESS);
        const std::string from = std::string(TL_SOURCE_DIR) + "/tests/browsers/fixtures/" + fixture;
        ASSERT_TRUE(::CopyFileA(from.c_str(), path.c_str(), FALSE)) << from;
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, change, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    // Every line of the list: its site and its state bits (1 kept, 2 set by the administrator).
    static std::vector<std::pair<std::string, int>> Lines(HWND list) {
        std::vector<std::pair<std::string, int>> lines;
        const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[256] = {};
            if (::SendMessageW(list, LB_GETTEXTLEN, i, 0) >= 255) continue;
            ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            lines.emplace_back(Utf8Of(text), static_cast<int>(::SendMessageW(list, LB_GETITEMDATA, i, 0) & 3));
        }
        return lines;
    }

    std::string mozilla, chromium;
    bool owned = false;
};

TEST_F(CookiesToKeepE2e, ListsEveryBrowsersSitesSearchesAndOkStoresTheTickedAndTypedOnes) {
    RunningCleaner cleaner(exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    cleaner.ClickLater(IDC_OPTIONS);
    HWND options = cleaner.WaitForDialog(kOptions);
    ASSERT_TRUE(options);
    HWND page = ShowTab(options, IDC_TAB_COOKIES, IDC_KEEP_LIST);
    ASSERT_TRUE(page);
    HWND list = ::GetDlgItem(page, IDC_KEEP_LIST);
    ASSERT_TRUE(WaitFor([&] { return ::SendMessageW(list, LB_GETCOUNT, 0, 0) == 8; }))
        << ::SendMessageW(list, LB_GETCOUNT, 0, 0) << " lines";
    using Lines_ = std::vector<std::pair<std::string, int>>;
    EXPECT_EQ(Lines(list), (Lines_{{"chromium-only.test", 0}, {"firefox-only.test", 0}, {"gone.test", 0},
                                   {"kept.test", 0}, {"policy.test", 3}, {"stored-only.test", 1},
                                   {"www.gone.test", 0}, {"www.kept.test", 0}}));

    // A click on the administrator's site changes nothing (checked once the whole list is back).
    const int height = static_cast<int>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const LPARAM policyTick = MAKELPARAM(8, 4 * height + height / 2);
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, policyTick);
    ::PostMessageW(list, WM_LBUTTONUP, 0, policyTick);

    // Typing narrows the list.
    for (char c : std::string("ONLY")) ::PostMessageW(::GetDlgItem(page, IDC_KEEP_SEARCH), WM_CHAR, c, 0);
    ASSERT_TRUE(WaitFor([&] { return ::SendMessageW(list, LB_GETCOUNT, 0, 0) == 3; }));
    EXPECT_EQ(Lines(list), (Lines_{{"chromium-only.test", 0}, {"firefox-only.test", 0}, {"stored-only.test", 1}}));

    // A click on the tick of the second line.
    const LPARAM at = MAKELPARAM(8, height + height / 2);
    ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(list, WM_LBUTTONUP, 0, at);
    ASSERT_TRUE(WaitFor([&] {
        const auto lines = Lines(list);
        return lines.size() == 3 && lines[1].second == 1;
    }));

    // A site typed by hand: refused with a plain message while it is no host name, then kept.
    ::PostMessageW(::GetDlgItem(page, IDC_KEEP_ADD), BM_CLICK, 0, 0);
    HWND add = cleaner.WaitForDialog("Add a Site to Keep");
    ASSERT_TRUE(add);
    HWND typed = ::GetDlgItem(add, IDC_ADD_SITE_TEXT);
    ::SendMessageW(typed, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"http://typed.example/"));
    ::PostMessageW(::GetDlgItem(add, IDOK), BM_CLICK, 0, 0);
    HWND refusal = cleaner.WaitForDialog("Cookies to Keep");
    ASSERT_TRUE(refusal);
    char message[256] = {};
    ::GetDlgItemTextA(refusal, 0xFFFF, message, sizeof message);
    EXPECT_NE(std::string(message).find("is not the name of a site"), std::string::npos) << message;
    ::PostMessageW(refusal, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitGone(refusal));
    ::SendMessageW(typed, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L".Typed.Example"));
    ::PostMessageW(::GetDlgItem(add, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitGone(add));
    ASSERT_TRUE(WaitFor([&] { return ::SendMessageW(list, LB_GETCOUNT, 0, 0) == 9; })) << "the search is cleared";
    EXPECT_EQ(Lines(list)[6], (std::pair<std::string, int>{"typed.example", 1}));
    EXPECT_EQ(Lines(list)[4], (std::pair<std::string, int>{"policy.test", 3})) << "still kept and locked";

    ::PostMessageW(::GetDlgItem(options, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitGone(options));

    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kSettingsKey) + "\\CookiesToKeep").c_str(), 0, KEY_READ,
                              &key), ERROR_SUCCESS);
    std::set<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[256] = {};
        DWORD length = sizeof name, type = 0, size = 0;
        if (::RegEnumValueA(key, i, name, &length, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        names.insert(name);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << name;
        EXPECT_LE(size, 2u) << name << " holds data";
    }
    ::RegCloseKey(key);
    EXPECT_EQ(names, (std::set<std::string>{"firefox-only.test", "stored-only.test", "typed.example"}));
    cleaner.Exit();
    EXPECT_TRUE(cleaner.WaitForExit());
}

}  // namespace
