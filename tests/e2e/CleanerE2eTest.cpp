// End-to-end: the real Tracelorn.exe under Wine, driven through its windows.
#include "Cleaner.h"
#include "ListText.h"
#include "app/DlgMainIds.h"
#include "dialogs/DlgDetailsIds.h"
#include "dialogs/DlgExcludesIds.h"
#include "dialogs/DlgOptionsIds.h"
#include "support/BannerWriter.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>

using namespace e2e;

namespace {

// A program folder of its own: a copy of the cleaner, two application plug-ins whose targets
// point into a data folder of 3 and 5 files, and nothing else (no standard plug-ins).
class CleanerFolder {
public:
    CleanerFolder() {
        exe = root.Path() + "prog\\Tracelorn.exe";
        root.MakeFolder("prog\\APPPLUGS");
        ::CopyFileA(BuiltCleaner().c_str(), exe.c_str(), FALSE);
        for (int i = 0; i < 3; ++i) root.MakeFile("data\\three\\f" + std::to_string(i) + ".txt", 100);
        for (int i = 0; i < 5; ++i) root.MakeFile("data\\five\\g" + std::to_string(i) + ".txt", 1024);
        WritePlugin(root.Path() + "prog\\APPPLUGS\\three.tlp", "E2E Three", root.Path() + "data\\three\\");
        // Stored as plug-ins store their strings, in the ANSI code page (1252 here: 0xFC is "ü").
        WritePlugin(root.Path() + "prog\\APPPLUGS\\five.tlp", "E2E F\xFCnf", root.Path() + "data\\five\\");
    }
    std::string Folder() const { return root.Path() + "prog\\"; }
    size_t FilesLeft(const std::string& sub) const { return ListFolder(root.Path() + "data\\" + sub).size(); }

    TempFolder root;
    std::string exe;
};

class CleanerE2e : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        // A first run writes the selection of every target it has; then only ours stay selected,
        // so nothing outside the test's folder is ever killed.
        RunningCleaner first(folder.exe);
        ASSERT_TRUE(first.WaitForWindow()) << "the cleaner did not show its main window";
        first.Exit();
        ASSERT_TRUE(first.WaitForExit());
        SelectOnly({"E2E Three", "E2E F\xFCnf"});  // ANSI value names, as older releases wrote them
        SetSetting("ShowMainWnd", 1);
    }
    void TearDown() override { ResetSettings(); ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }

    CleanerFolder folder;
};

// The accented target as the result list shows it, read back in UTF-8 through the wide form.
const char* const kFive = "E2E F\xC3\xBCnf";

const Line* FindTarget(const std::vector<Line>& lines, const std::string& name) {
    for (const Line& l : lines)
        if (l.kind == 4 && l.name == name) return &l;
    return nullptr;
}

TEST_F(CleanerE2e, ScanCountsAndKillRemovesAndAddsToTotals) {
    uint32_t files0 = 0, items0 = 0;
    uint64_t bytes0 = 0;
    ReadTotals(folder.Folder(), files0, items0, bytes0);  // absent on a first start: zero

    RunningCleaner cleaner(folder.exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    ASSERT_TRUE(cleaner.IsShown());
    cleaner.Click(IDC_SCAN);
    ASSERT_TRUE(cleaner.WaitForIdle());
    std::vector<Line> lines = cleaner.Lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.front().kind, 2);
    EXPECT_EQ(lines.front().name, "Start Scan Action:");
    const Line* three = FindTarget(lines, "E2E Three");
    const Line* five = FindTarget(lines, kFive);
    ASSERT_TRUE(three && five);
    EXPECT_EQ(three->state, 0);
    EXPECT_EQ(three->files, "3");
    EXPECT_EQ(three->size, "0,29 KB");
    EXPECT_EQ(five->files, "5");
    EXPECT_EQ(five->size, "5,00 KB");
    EXPECT_EQ(lines.back().kind, 5);
    EXPECT_EQ(lines.back().name, "Summary Scan Information:");
    EXPECT_EQ(lines.back().files, "8");
    EXPECT_EQ(folder.FilesLeft("three"), 3u) << "a Scan removes nothing";

    cleaner.Click(IDC_KILL);
    ASSERT_TRUE(cleaner.WaitForIdle());
    lines = cleaner.Lines();
    EXPECT_EQ(lines.front().name, "Start Kill Action:");
    EXPECT_EQ(lines.back().name, "Summary Kill Information:");
    EXPECT_EQ(lines.back().files, "8");
    EXPECT_EQ(folder.FilesLeft("three"), 0u);
    EXPECT_EQ(folder.FilesLeft("five"), 0u);

    cleaner.Exit();
    ASSERT_TRUE(cleaner.WaitForExit());
    uint32_t files = 0, items = 0;
    uint64_t bytes = 0;
    ASSERT_TRUE(ReadTotals(folder.Folder(), files, items, bytes));
    EXPECT_EQ(files, files0 + 8);
    EXPECT_EQ(bytes, bytes0 + 300 + 5 * 1024);
}

namespace {
// Double-clicks the result line of a target, or chooses "Details..." in its context menu (opened
// by the context-menu key), and waits for its details window.
HWND OpenDetails(RunningCleaner& cleaner, const std::string& target, const char* title, bool menu = false) {
    HWND list = ::GetDlgItem(cleaner.Window(), IDC_RESULTS);
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    int index = -1;
    for (int i = 0; i < count && index < 0; ++i) {
        const ListLineText line = ReadListLine(list, i);
        if (line.kind == 4 && line.texts[0] == target) index = i;
    }
    if (index < 0) return nullptr;
    ::SendMessageW(list, LB_SETCURSEL, index, 0);
    if (menu) {
        ::PostMessageW(cleaner.Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
        HWND popup = nullptr;
        WaitFor([&] {
            for (HWND w : WindowsOf(cleaner.Pid())) {
                char name[16] = {};
                ::GetClassNameA(w, name, sizeof name);
                if (std::string(name) == "#32768" && ::IsWindowVisible(w)) popup = w;
            }
            return popup != nullptr;
        });
        if (!popup) return nullptr;
        ::PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
        ::PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
        return cleaner.WaitForDialog(title);
    }
    RECT rect{};
    ::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect));
    // Posted: the window it opens is modal.
    ::PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rect.left + 20, (rect.top + rect.bottom) / 2));
    return cleaner.WaitForDialog(title);
}

// Waits until the details window has read everything and shows `lines` lines.
bool WaitRead(HWND details, int lines) {
    HWND status = ::GetDlgItem(details, IDC_DETAILS_STATUS);
    return WaitFor([&] {
        wchar_t text[128] = {};
        ::GetWindowTextW(status, text, 128);
        return std::wstring(text).find(L"reading") == std::wstring::npos &&
               ::SendMessageW(::GetDlgItem(details, IDC_DETAILS_LIST), LVM_GETITEMCOUNT, 0, 0) == lines;
    });
}

std::vector<std::string> Names(const RemoteListView& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i) names.push_back(list.Text(i, 1));
    std::sort(names.begin(), names.end());
    return names;
}

int StoredExcludes() {
    RegKey key;
    const std::string path = std::string(kSettingsKey) + "\\Excludes";
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return 0;
    DWORD values = 0;
    ::RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
    return static_cast<int>(values);
}
}  // namespace

TEST_F(CleanerE2e, DetailsShowTheScannedFilesAndWhatTheyExcludeSurvivesTheKill) {
    RunningCleaner cleaner(folder.exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    cleaner.Click(IDC_SCAN);
    ASSERT_TRUE(cleaner.WaitForIdle());

    HWND details = OpenDetails(cleaner, "E2E Three", "Details: E2E Three");
    ASSERT_TRUE(details) << "a double-click on the result line opens the target's details";
    ASSERT_TRUE(WaitRead(details, 3)) << "the three planted files";
    {
        RemoteListView list(::GetDlgItem(details, IDC_DETAILS_LIST));
        ASSERT_TRUE(list.Usable());
        EXPECT_EQ(Names(list), (std::vector<std::string>{"f0.txt", "f1.txt", "f2.txt"}));
        list.Select(1);
        ::SendMessageW(::GetDlgItem(details, IDC_DETAILS_KEEP_FOLDER), BM_CLICK, 0, 0);
        EXPECT_EQ(list.Count(), 0) << "the folder held all three";
    }
    ::SendMessageW(::GetDlgItem(details, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitGone(details));

    details = OpenDetails(cleaner, kFive, "Details: E2E F\xFCnf", true);
    ASSERT_TRUE(details && WaitRead(details, 5));
    {
        RemoteListView list(::GetDlgItem(details, IDC_DETAILS_LIST));
        EXPECT_EQ(Names(list), (std::vector<std::string>{"g0.txt", "g1.txt", "g2.txt", "g3.txt", "g4.txt"}));
        int row = 0;
        while (row < list.Count() && list.Text(row, 1) != "g3.txt") ++row;
        list.Select(row);
        ::SendMessageW(::GetDlgItem(details, IDC_DETAILS_KEEP), BM_CLICK, 0, 0);
        EXPECT_EQ(Names(list), (std::vector<std::string>{"g0.txt", "g1.txt", "g2.txt", "g4.txt"}));
    }
    ::SendMessageW(::GetDlgItem(details, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitGone(details));
    const Line* five = FindTarget(cleaner.Lines(), kFive);
    ASSERT_TRUE(five);
    EXPECT_EQ(five->files, "5") << "the last Scan's line stays as it was";

    cleaner.Click(IDC_KILL);
    ASSERT_TRUE(cleaner.WaitForIdle());
    EXPECT_EQ(folder.FilesLeft("three"), 3u) << "the excluded folder";
    EXPECT_EQ(ListFolder(folder.root.Path() + "data\\five"), std::vector<std::string>{"g3.txt"});

    // The Excludes page of Options lets one of the two go again.
    ASSERT_EQ(StoredExcludes(), 2);
    cleaner.ClickLater(IDC_OPTIONS);
    HWND options = cleaner.WaitForDialog("Tracelorn Options");
    ASSERT_TRUE(options);
    ::SendMessageW(::GetDlgItem(options, IDC_TAB_EXCLUDES), BM_CLICK, 0, 0);
    HWND page = PageWith(options, IDC_EXCLUDE_LIST);
    ASSERT_TRUE(page && WaitShown(page));
    HWND excludes = ::GetDlgItem(page, IDC_EXCLUDE_LIST);
    ASSERT_EQ(::SendMessageW(excludes, LB_GETCOUNT, 0, 0), 2);
    ::SendMessageW(excludes, LB_SETSEL, TRUE, 0);
    ::SendMessageW(::GetDlgItem(page, IDC_EXCLUDE_REMOVE), BM_CLICK, 0, 0);
    EXPECT_EQ(::SendMessageW(excludes, LB_GETCOUNT, 0, 0), 1);
    ::SendMessageW(::GetDlgItem(options, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitGone(options));
    EXPECT_EQ(StoredExcludes(), 1);
    cleaner.Exit();
    ASSERT_TRUE(cleaner.WaitForExit());
}

TEST_F(CleanerE2e, SecondCopyFromSamePathExitsWithoutWindow) {
    RunningCleaner first(folder.exe);
    ASSERT_TRUE(first.WaitForWindow());
    RunningCleaner second(folder.exe);
    ASSERT_TRUE(second.Started());
    bool sawWindow = false;
    for (int i = 0; i < 100 && !second.Exited(); ++i) {
        for (HWND w : WindowsOf(second.Pid())) sawWindow |= ::IsWindowVisible(w) != FALSE;
        ::Sleep(100);
    }
    EXPECT_TRUE(second.WaitForExit(1000)) << "the second copy kept running";
    EXPECT_FALSE(sawWindow);
    EXPECT_FALSE(first.Exited());

    // A copy from another path runs beside the first.
    TempFolder other;
    const std::string otherExe = other.Path() + "Tracelorn.exe";
    ASSERT_TRUE(::CopyFileA(folder.exe.c_str(), otherExe.c_str(), FALSE));
    {
        RunningCleaner third(otherExe);
        EXPECT_TRUE(third.WaitForWindow()) << "a copy from another path must run";
        third.Exit();
        EXPECT_TRUE(third.WaitForExit());
    }
    first.Exit();
    EXPECT_TRUE(first.WaitForExit());
}

TEST_F(CleanerE2e, TwoCopiesStartedTogetherLeaveExactlyOne) {
    RunningCleaner a(folder.exe);
    RunningCleaner b(folder.exe);
    ASSERT_TRUE(a.Started() && b.Started());
    ::Sleep(6000);
    const int running = (a.Exited() ? 0 : 1) + (b.Exited() ? 0 : 1);
    EXPECT_EQ(running, 1);
    RunningCleaner& survivor = a.Exited() ? b : a;
    if (survivor.WaitForWindow(5000)) survivor.Exit();
    EXPECT_TRUE(survivor.WaitForExit());
}

TEST_F(CleanerE2e, TrayDoubleClickTogglesAndTheDialogManagerKeepsItsMessage) {
    RunningCleaner cleaner(folder.exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    ASSERT_TRUE(cleaner.IsShown());
    // The tray callback number is also DM_GETDEFID: without the icon's id it stays the
    // dialog manager's, so Enter still finds the default button.
    const LRESULT defId = ::SendMessageA(cleaner.Window(), DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(defId), DC_HASDEFID);
    EXPECT_EQ(LOWORD(defId), IDC_SCAN);
    EXPECT_TRUE(cleaner.IsShown());
    ::PostMessageA(cleaner.Window(), WM_TRAY_ICON, ID_TRAY_ICON, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(cleaner.WaitUntilShown(false)) << "a double-click on the icon hides the window";
    ::PostMessageA(cleaner.Window(), WM_TRAY_ICON, ID_TRAY_ICON, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(cleaner.WaitUntilShown(true)) << "and the next one shows it again";
    cleaner.Exit();
    EXPECT_TRUE(cleaner.WaitForExit());
}

TEST_F(CleanerE2e, EnterPressesScanAndEscapeHides) {
    RunningCleaner cleaner(folder.exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    ASSERT_TRUE(cleaner.IsShown());
    HWND list = ::GetDlgItem(cleaner.Window(), IDC_RESULTS);
    // Keys go through the dialog manager of the program's own loop.
    ::PostMessageA(list, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(cleaner.WaitForIdle());
    const std::vector<Line> lines = cleaner.Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().name, "Start Scan Action:") << "Enter runs the default button, Scan";
    EXPECT_EQ(lines.back().name, "Summary Scan Information:");
    ::PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(cleaner.WaitUntilShown(false)) << "Escape is Cancel: the window hides";
    EXPECT_FALSE(cleaner.Exited());
    cleaner.Exit();
    EXPECT_TRUE(cleaner.WaitForExit());
}

// The banner control's rectangle in the main window's client coordinates; empty when hidden.
RECT BannerRect(HWND window) {
    HWND banner = ::GetDlgItem(window, IDC_BANNER);
    RECT r{};
    if (!banner || !(::GetWindowLongA(banner, GWL_STYLE) & WS_VISIBLE)) return r;
    ::GetWindowRect(banner, &r);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(CleanerE2e, BannersShowInTurnAndACorruptFileHidesThem) {
    BannerWriter writer;
    BannerWriter::Entry first, second;
    first.ints = {{"NumImages", 2}, {"ImageWidth", 40}, {"WndX", 300}, {"WndY", 90}, {"AnimTime", 200}};
    first.image = SolidBmp(80, 30, 200, 40, 40);
    second.ints = {{"ImageWidth", 50}, {"WndX", 250}, {"WndY", 120}};
    second.image = SolidBmp(50, 20, 40, 40, 200);
    auto writeBannerFile = [&](const std::vector<uint8_t>& bytes) {
        folder.root.MakeFileWith("prog\\banner.qbf", std::string(bytes.begin(), bytes.end()));
    };
    writeBannerFile(writer.Build({first, second}));

    RunningCleaner cleaner(folder.exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    ASSERT_TRUE(cleaner.WaitUntilShown(true));
    auto toggle = [&](bool shown) {
        cleaner.Command(ID_TOGGLE_MODE);
        ASSERT_TRUE(cleaner.WaitUntilShown(shown));
        ::Sleep(200);
    };
    RECT r = BannerRect(cleaner.Window());
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 90);
    EXPECT_EQ(r.right - r.left, 40) << "one frame of the strip";
    EXPECT_EQ(r.bottom - r.top, 30);

    toggle(false);
    toggle(true);
    r = BannerRect(cleaner.Window());
    EXPECT_EQ(r.left, 250) << "the next showing shows the next banner";
    EXPECT_EQ(r.top, 120);
    EXPECT_EQ(r.right - r.left, 50);

    toggle(false);
    toggle(true);
    EXPECT_EQ(BannerRect(cleaner.Window()).left, 300) << "and then the first again";

    // A file cut short in its headers: no banner, and the window goes on as before.
    std::vector<uint8_t> cut = writer.Build({first, second});
    cut.resize(20);
    toggle(false);
    writeBannerFile(cut);
    toggle(true);
    r = BannerRect(cleaner.Window());
    EXPECT_EQ(r.right - r.left, 0) << "a corrupt banner file hides the banner";
    cleaner.Click(IDC_SCAN);
    EXPECT_TRUE(cleaner.WaitForIdle());
    cleaner.Exit();
    EXPECT_TRUE(cleaner.WaitForExit());
}

TEST_F(CleanerE2e, ExitDuringScanStopsItAndNextHideEnds) {
    SetSetting("ScanTime", 4000);  // hidden pauses keep the Scan going long enough
    RunningCleaner cleaner(folder.exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    cleaner.Click(IDC_SCAN);
    cleaner.Command(ID_TOGGLE_MODE);  // to ICONIC mode: the pause after each target is ScanTime
    ::Sleep(500);
    ASSERT_TRUE(cleaner.ControlShown(IDC_STOP)) << "the Scan should still run";
    cleaner.Exit();
    ASSERT_TRUE(cleaner.WaitForIdle(15000));
    EXPECT_FALSE(cleaner.Exited()) << "Exit during a Scan only stops the Scan";
    const std::vector<Line> lines = cleaner.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2].name, "Scan action breaked by user.");
    EXPECT_EQ(lines.back().name, "Summary Scan Information:");
    ::Sleep(300);
    EXPECT_FALSE(cleaner.Exited());
    cleaner.Command(IDC_HIDE);
    EXPECT_TRUE(cleaner.WaitForExit()) << "the Hide after the stopped Exit ends the program";
}

TEST_F(CleanerE2e, AltF4HidesAndExitStoresVisibility) {
    RunningCleaner cleaner(folder.exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    ASSERT_TRUE(cleaner.IsShown());
    ::PostMessageA(cleaner.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);  // what Alt+F4 sends
    EXPECT_TRUE(cleaner.WaitUntilShown(false));
    EXPECT_FALSE(cleaner.Exited());
    // Back to FULL mode, then Exit: the window was visible at WM_CLOSE, so ShowMainWnd is on.
    cleaner.Command(ID_TOGGLE_MODE);
    EXPECT_TRUE(cleaner.WaitUntilShown(true));
    cleaner.Exit();
    ASSERT_TRUE(cleaner.WaitForExit());
    DWORD shown = 99;
    ASSERT_TRUE(ReadSetting("ShowMainWnd", shown));
    EXPECT_EQ(shown, 1u);

    // Exit while hidden stores it off, and the next start begins hidden.
    {
        RunningCleaner again(folder.exe);
        ASSERT_TRUE(again.WaitForWindow());
        ::PostMessageA(again.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(again.WaitUntilShown(false));
        again.Exit();
        ASSERT_TRUE(again.WaitForExit());
    }
    ASSERT_TRUE(ReadSetting("ShowMainWnd", shown));
    EXPECT_EQ(shown, 0u);
    RunningCleaner hidden(folder.exe);
    ASSERT_TRUE(hidden.WaitForWindow());
    ::Sleep(1000);
    EXPECT_FALSE(hidden.IsShown());
}

}  // namespace

// Any process can send the main window any message. The window thread's call message (WM_APP+1,
// whose lParam the worker fills with a call) and the run-stopped message (WM_USER+3) from outside,
// and the tray icon's balloon notifications, must neither crash the cleaner, nor end or stop the
// run, nor take the focus.
TEST_F(CleanerE2e, StrayMessagesDuringARunChangeNothing) {
    SetSetting("ScanTime", 1500);  // hidden pauses keep the Scan going while the messages arrive
    RunningCleaner cleaner(folder.exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    cleaner.Click(IDC_SCAN);
    cleaner.Command(ID_TOGGLE_MODE);
    ASSERT_TRUE(cleaner.WaitUntilShown(false));
    ASSERT_TRUE(cleaner.ControlShown(IDC_STOP)) << "the Scan should still run";

    HWND mine = ::CreateWindowExA(0, "STATIC", "e2e foreground", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    ::SetForegroundWindow(mine);
    const HWND foreground = ::GetForegroundWindow();
    DWORD_PTR result = 0;
    for (LPARAM garbage : {LPARAM(0), LPARAM(1), LPARAM(0x41414141), static_cast<LPARAM>(-1)}) {
        ::SendMessageTimeoutA(cleaner.Window(), WM_APP + 1, 0x1234, garbage, SMTO_ABORTIFHUNG, 3000, &result);
        ::PostMessageA(cleaner.Window(), WM_APP + 1, 0, garbage);
    }
    ::SendMessageTimeoutA(cleaner.Window(), WM_USER + 3, 0, 0, SMTO_ABORTIFHUNG, 3000, &result);
    ::PostMessageA(cleaner.Window(), WM_USER + 3, 0, 0);
    for (LPARAM balloon : {LPARAM(NIN_BALLOONSHOW), LPARAM(NIN_BALLOONHIDE), LPARAM(NIN_BALLOONTIMEOUT)})
        ::SendMessageTimeoutA(cleaner.Window(), WM_USER, 128, balloon, SMTO_ABORTIFHUNG, 3000, &result);
    ::Sleep(300);
    EXPECT_FALSE(cleaner.Exited()) << "a stray message crashed the cleaner";
    EXPECT_TRUE(cleaner.ControlShown(IDC_STOP)) << "a stray message ended the run";
    EXPECT_EQ(::GetForegroundWindow(), foreground) << "a balloon notification took the focus";
    EXPECT_FALSE(cleaner.IsShown());
    ::DestroyWindow(mine);

    ASSERT_TRUE(cleaner.WaitForIdle(20000));
    const std::vector<Line> lines = cleaner.Lines();
    int summaries = 0;
    for (const Line& l : lines) {
        if (l.kind == 5) ++summaries;
        EXPECT_NE(l.name, "Scan action breaked by user.");
    }
    EXPECT_EQ(summaries, 1);
    EXPECT_EQ(lines.back().files, "8");
    cleaner.Exit();
    EXPECT_TRUE(cleaner.WaitForExit()) << "Exit must not hang on a worker the stray message left behind";
}

// A WM_QUIT from outside ends the message loop during a run: the cleaner stops the run, answers
// its worker and ends, instead of waiting for a worker that waits for it.
TEST_F(CleanerE2e, QuitMessageDuringARunEndsTheProgram) {
    SetSetting("ScanTime", 3000);
    RunningCleaner cleaner(folder.exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    cleaner.Click(IDC_SCAN);
    cleaner.Command(ID_TOGGLE_MODE);
    ASSERT_TRUE(cleaner.WaitUntilShown(false));
    ::Sleep(300);
    ASSERT_TRUE(cleaner.ControlShown(IDC_STOP));
    ::PostThreadMessageA(::GetWindowThreadProcessId(cleaner.Window(), nullptr), WM_QUIT, 0, 0);
    EXPECT_TRUE(cleaner.WaitForExit(15000)) << "the cleaner hung after WM_QUIT during a run";
}

// Logoff or shutdown during a Kill: the run stops at its next checkpoint and everything an Exit
// saves is saved while the session ends, so config.cfg holds the totals of the finished targets.
TEST_F(CleanerE2e, EndOfSessionDuringAKillSavesWhatFinished) {
    uint32_t files0 = 0, items0 = 0;
    uint64_t bytes0 = 0;
    ReadTotals(folder.Folder(), files0, items0, bytes0);
    SetSetting("KillTime", 4000);  // a long pause after the first target
    RunningCleaner cleaner(folder.exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    cleaner.Click(IDC_KILL);
    cleaner.Command(ID_TOGGLE_MODE);
    // "E2E Fünf" comes first; wait until its result line is written.
    const DWORD start = ::GetTickCount();
    const Line* five = nullptr;
    std::vector<Line> lines;
    while (!five && ::GetTickCount() - start < 10000) {
        lines = cleaner.Lines();
        five = FindTarget(lines, kFive);
        if (five && five->state != 0) five = nullptr;
        if (!five) ::Sleep(50);
    }
    ASSERT_TRUE(five) << "the first target did not finish";
    ASSERT_TRUE(cleaner.ControlShown(IDC_STOP)) << "the Kill should still run";

    DWORD_PTR allowed = 0;
    ASSERT_TRUE(::SendMessageTimeoutA(cleaner.Window(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 10000, &allowed));
    EXPECT_EQ(allowed, TRUE) << "the cleaner must not hold up the end of the session";
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(cleaner.Window(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
    // Windows may end the process any moment now: what is on disk is what counts.
    uint32_t files = 0, items = 0;
    uint64_t bytes = 0;
    ASSERT_TRUE(ReadTotals(folder.Folder(), files, items, bytes));
    EXPECT_EQ(files, files0 + 5);
    EXPECT_EQ(bytes, bytes0 + 5 * 1024);
    EXPECT_EQ(folder.FilesLeft("three"), 3u) << "the run went on after the session ended";
    DWORD shown = 1;
    EXPECT_TRUE(ReadSetting("ShowMainWnd", shown));
    EXPECT_EQ(shown, 0u) << "the window was hidden when the session ended";
}

namespace {

TEST(CleanerProgram, CarriesItsManifest) {
    // Without it Windows would apply compatibility shims and guess at elevation and DPI.
    HMODULE exe = ::LoadLibraryExA(BuiltCleaner().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(exe, nullptr);
    HRSRC found = ::FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const char* text = static_cast<const char*>(::LockResource(::LoadResource(exe, found)));
    const std::string manifest(text, ::SizeofResource(exe, found));
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);  // 10 and 11
    EXPECT_NE(manifest.find(">false</dpiAware>"), std::string::npos);
    ::FreeLibrary(exe);
}

}  // namespace
