// End-to-end: a generated winapp2.ini of a few hundred sections and a hostile one, each imported
// through the Applications page's "Import..." button and its file chooser in the real
// Tracelorn.exe, every target it offers ticked on the page and killed from the main window. The
// Linux side (import/run-import.sh) plants what the files name in a throw-away prefix, writes what
// this side must find, and holds the whole drive and registry after the two Kills against before.
#include "Cleaner.h"
#include "ListText.h"
#include "ShownControl.h"
#include "WindowText.h"
#include "app/DlgMainIds.h"
#include "dialogs/TargetPagesIds.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

using namespace e2e;

namespace {

using window_text::TextOf;
using window_text::MessageText;

// What one ini must give, as the fixture generator wrote it (expect-*.txt, UTF-8, tab-separated).
struct Expected {
    std::string kept, refused;                                         // the report's totals
    std::map<std::string, std::pair<std::string, std::string>> offered;  // name -> files killed, warning
    std::vector<std::pair<std::string, std::string>> refusedLines, keptLines;
    std::vector<std::string> closingLines;  // "<name>: dropped, ..." and "<name>: nothing to clean"
};

Expected ReadExpected(const std::string& path) {
    Expected e;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string s; std::getline(fields, s, '\t');) f.push_back(s);
        while (f.size() < 4) f.emplace_back();
        if (f[0] == "summary") e.kept = f[1], e.refused = f[2];
        if (f[0] == "offered") e.offered[f[1]] = {f[2], f[3]};
        if (f[0] == "refused") e.refusedLines.emplace_back(f[1], f[2]);
        if (f[0] == "kept") e.keptLines.emplace_back(f[1], f[2]);
        if (f[0] == "dropped") e.closingLines.push_back(f[1] + ": dropped, no entry is left");
        if (f[0] == "empty") e.closingLines.push_back(f[1] + ": nothing to clean");
    }
    return e;
}

std::wstring Wide(const std::string& utf8) {
    std::wstring out(utf8.size(), L'\0');
    out.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                         &out[0], static_cast<int>(out.size()))));
    return out;
}

HWND WaitForShown(DWORD pid, const std::string& title, DWORD ms = 15000) {
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND w : WindowsOf(pid))
            if (::IsWindowVisible(w) && TextOf(w) == title) return (found = w) != nullptr;
        return false;
    }, ms);
    return found;
}

void PostClick(HWND control) { ::PostMessageA(control, BM_CLICK, 0, 0); }

bool CloseWith(HWND window, int id) {
    PostClick(::GetDlgItem(window, id));
    return WaitFor([&] { return !::IsWindow(window) || !::IsWindowVisible(window); });
}

// The chooser's file name field: the edit of its name combo box (cmb13), or the plain edit (edt1)
// of the older template.
HWND FileNameField(HWND chooser) {
    HWND edit = ::GetDlgItem(chooser, edt1);
    if (edit && ::IsWindowVisible(edit)) return edit;
    HWND combo = ::GetDlgItem(chooser, cmb13);
    edit = nullptr;
    if (combo)
        ::EnumChildWindows(combo, [](HWND child, LPARAM lp) -> BOOL {
            char cls[16] = {};
            ::GetClassNameA(child, cls, sizeof cls);
            if (std::string(cls) != "Edit") return TRUE;
            *reinterpret_cast<HWND*>(lp) = child;
            return FALSE;
        }, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

// For a chooser whose name field is not found: its controls, class, id and whether shown.
std::string Children(HWND window) {
    std::string out;
    ::EnumChildWindows(window, [](HWND child, LPARAM lp) -> BOOL {
        char cls[64] = {};
        ::GetClassNameA(child, cls, sizeof cls);
        *reinterpret_cast<std::string*>(lp) += std::string(cls) + ":" + std::to_string(::GetDlgCtrlID(child)) +
                                              (::IsWindowVisible(child) ? "+ " : "- ");
        return TRUE;
    }, reinterpret_cast<LPARAM>(&out));
    return out;
}

// The tree's items that hold no others (the targets, whether or not the page groups them).
// A group gets its targets when it is first opened: each is opened before its children are read.
void Leaves(HWND tree, HTREEITEM first, std::vector<HTREEITEM>& out) {
    for (HTREEITEM i = first; i; i = TreeView_GetNextSibling(tree, i)) {
        TreeView_Expand(tree, i, TVE_EXPAND);
        if (HTREEITEM child = TreeView_GetChild(tree, i)) Leaves(tree, child, out);
        else out.push_back(i);
    }
}

// Ticking a target that warns shows its warning; a few of them are ticked one by one, the rest
// with "Select All".
constexpr int kWarnedTicks = 3;

// Waits until the run has ended (Scan shown again, the summary last); reads only the last line, as
// reading every line while the run adds them would slow it down.
bool WaitForRunEnd(RunningCleaner& cleaner, DWORD ms) {
    HWND list = ::GetDlgItem(cleaner.Window(), IDC_RESULTS);
    return WaitFor([&] {
        if (!cleaner.ControlShown(IDC_SCAN) || cleaner.ControlShown(IDC_STOP)) return false;
        const LRESULT n = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
        return n > 0 && ReadListLine(list, static_cast<int>(n - 1)).kind == 5;
    }, ms);
}

class ImportE2e : public ::testing::Test {
protected:
    void SetUp() override {
        const char* fixture = std::getenv("TL_IMPORT_FIXTURE");
        if (!fixture) GTEST_SKIP() << "run by import/run-import.sh, which lays out its prefix";
        folder = std::string(fixture) + "\\";
        prog = folder + "prog\\";
        ::CreateDirectoryA(prog.c_str(), nullptr);
        exe = prog + "Tracelorn.exe";
        ASSERT_TRUE(::CopyFileA(BuiltCleaner().c_str(), exe.c_str(), FALSE));
        ResetSettings();
        SetSetting("ShowMainWnd", 1);
    }

    static bool Ended(RunningCleaner& cleaner) {
        cleaner.Exit();
        return cleaner.WaitForExit();
    }

    HWND OpenApplications(RunningCleaner& cleaner) {
        cleaner.Command(IDC_OPTIONS);
        HWND options = WaitForShown(cleaner.Pid(), "Tracelorn Options");
        if (options) ::SendMessageA(ShownDescendant(options, IDC_TAB_APPLICATIONS), BM_CLICK, 0, 0);
        return options && ShownDescendant(options, IDC_APP_TREE) ? options : nullptr;
    }

    // "Import...", the file named in the chooser, Open, and the message that answers; Cancel.
    void Import(RunningCleaner& cleaner, const std::string& ini, const Expected& e) {
        HWND options = OpenApplications(cleaner);
        ASSERT_TRUE(options);
        PostClick(ShownDescendant(options, IDC_APP_IMPORT));
        HWND chooser = WaitForShown(cleaner.Pid(), "Open", 30000);
        ASSERT_TRUE(chooser) << "the file chooser did not open";
        HWND name = FileNameField(chooser);
        ASSERT_TRUE(name) << Children(chooser);
        ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(folder + ini).c_str()));
        PostClick(::GetDlgItem(chooser, IDOK));
        HWND box = WaitForShown(cleaner.Pid(), "Import", 60000);
        ASSERT_TRUE(box) << "no answer to the import of " << ini;
        EXPECT_EQ(MessageText(box).rfind(e.kept + " programs imported, " + e.refused + " entries refused (listed in ", 0),
                  0u) << MessageText(box);
        ASSERT_TRUE(CloseWith(box, IDOK));
        ASSERT_TRUE(CloseWith(options, IDCANCEL));
    }

    // Each refused entry is listed with a reason, and nothing else is.
    void CheckReport(const std::string& report, const Expected& e) {
        std::vector<std::string> lines;
        std::istringstream in(report);
        for (std::string l; std::getline(in, l);) lines.push_back(l.substr(0, l.find_last_not_of('\r') + 1));
        ASSERT_GE(lines.size(), 3u) << report;
        EXPECT_EQ(lines[1], e.kept + " targets kept, " + e.refused + " entries refused");
        std::set<size_t> listed;
        auto find = [&](const std::string& text, bool prefix) {
            for (size_t i = 3; i < lines.size(); ++i)
                if (prefix ? lines[i].rfind(text, 0) == 0 && lines[i].size() > text.size() : lines[i] == text)
                    return listed.insert(i), true;
            return false;
        };
        for (const auto& r : e.refusedLines)
            EXPECT_TRUE(find(r.first + ": " + r.second + ": ", true)) << "not listed with a reason: " << r.second;
        for (const std::string& c : e.closingLines) EXPECT_TRUE(find(c, false)) << c;
        for (const auto& k : e.keptLines)
            EXPECT_FALSE(find(k.first + ": " + k.second + ": ", true)) << "refused, but safe: " << k.second;
        for (size_t i = 3; i < lines.size(); ++i)
            if (!lines[i].empty() && !listed.count(i)) ADD_FAILURE() << "refused unexpectedly: " << lines[i];
    }

    // Ticks the targets that warn one by one (each shows its warning), then "Select All"; OK, and
    // Kill from the main window: one line per offered target, with the files it names.
    void KillEveryOffered(RunningCleaner& cleaner, const Expected& e) {
        HWND options = OpenApplications(cleaner);
        ASSERT_TRUE(options);
        HWND tree = ShownDescendant(options, IDC_APP_TREE);
        HWND search = ShownDescendant(options, IDC_APP_SEARCH);
        int warned = 0;
        for (const auto& o : e.offered) {
            if (o.second.second.empty() || ++warned > kWarnedTicks) continue;
            ::SetWindowTextW(search, Wide(o.first).c_str());
            std::vector<HTREEITEM> found;
            ASSERT_TRUE(WaitFor([&] { return found.clear(), Leaves(tree, TreeView_GetRoot(tree), found), found.size() == 1; }))
                << o.first;
            TreeView_SelectItem(tree, found[0]);
            ::SendMessageA(tree, WM_KEYDOWN, VK_SPACE, 0);
            ::SendMessageA(tree, WM_KEYUP, VK_SPACE, 0);
            HWND warning = WaitForShown(cleaner.Pid(), o.first);
            ASSERT_TRUE(warning) << "no warning for " << o.first;
            EXPECT_EQ(MessageText(warning), o.second.second);
            ASSERT_TRUE(CloseWith(warning, IDOK));
        }
        ::SetWindowTextW(search, L"");
        std::vector<HTREEITEM> all;
        ASSERT_TRUE(WaitFor([&] { return all.clear(), Leaves(tree, TreeView_GetRoot(tree), all), all.size() == e.offered.size(); }))
            << all.size() << " targets listed, " << e.offered.size() << " expected";
        PostClick(ShownDescendant(options, IDC_SELECT_ALL));
        // The targets that warn and were not ticked one by one are told in one message (titled by
        // the target when it is the only one).
        std::vector<std::pair<std::string, std::string>> unticked;  // name, warning
        for (const auto& o : e.offered)
            if (!o.second.second.empty()) unticked.emplace_back(o.first, o.second.second);
        unticked.erase(unticked.begin(), unticked.begin() + std::min<size_t>(unticked.size(), kWarnedTicks));
        if (!unticked.empty()) {
            HWND box = WaitForShown(cleaner.Pid(), unticked.size() == 1 ? unticked[0].first : "Warnings");
            ASSERT_TRUE(box) << "Select All told nothing of " << unticked.size() << " targets that warn";
            const std::string text = MessageText(box);
            EXPECT_TRUE(std::any_of(unticked.begin(), unticked.end(),
                                    [&](const auto& u) { return text.find(u.second) != std::string::npos; }))
                << text;
            ASSERT_TRUE(CloseWith(box, IDOK));
        }
        ASSERT_TRUE(WaitFor([&] { return TextOf(ShownDescendant(options, IDC_SELECTED_COUNT)) == std::to_string(all.size()); }));
        ASSERT_TRUE(CloseWith(options, IDOK));
        cleaner.Click(IDC_KILL);
        ASSERT_TRUE(WaitForRunEnd(cleaner, 120000));
        std::map<std::string, std::string> killed;
        for (const Line& l : cleaner.Lines())
            if (l.kind == 4) killed[l.name] = l.files;
        for (const auto& o : e.offered) {
            const auto line = killed.find(o.first);
            ASSERT_NE(line, killed.end()) << "no line for " << o.first;
            EXPECT_EQ(line->second, o.second.first) << "files killed by " << o.first;
            killed.erase(line);
        }
        for (const auto& k : killed) ADD_FAILURE() << "killed, but not offered: " << k.first;
    }

    std::string folder, prog, exe;
};

TEST_F(ImportE2e, GeneratedAndHostileFilesImportAndKillExactlyWhatTheirAcceptedEntriesName) {
    const Expected hostile = ReadExpected(folder + "expect-hostile.txt");
    const Expected generated = ReadExpected(folder + "expect-generated.txt");
    ASSERT_GT(generated.offered.size(), 200u);
    // Imported targets are listed from the next start, each start sees the previous one's import.
    {
        RunningCleaner cleaner(exe);
        ASSERT_TRUE(cleaner.WaitForWindow());
        ASSERT_NO_FATAL_FAILURE(Import(cleaner, "hostile.ini", hostile));
        ASSERT_TRUE(Ended(cleaner));
    }
    ASSERT_NO_FATAL_FAILURE(CheckReport(ReadFileBytes(prog + "ImportReport.txt"), hostile));
    SelectOnly({});  // none of the built-in targets the first start stored stays selected
    {
        RunningCleaner cleaner(exe);
        ASSERT_TRUE(cleaner.WaitForWindow());
        ASSERT_NO_FATAL_FAILURE(KillEveryOffered(cleaner, hostile));
        // A second import replaces the first.
        ASSERT_NO_FATAL_FAILURE(Import(cleaner, "generated.ini", generated));
        ASSERT_TRUE(Ended(cleaner));
    }
    ASSERT_NO_FATAL_FAILURE(CheckReport(ReadFileBytes(prog + "ImportReport.txt"), generated));
    RunningCleaner cleaner(exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    ASSERT_NO_FATAL_FAILURE(KillEveryOffered(cleaner, generated));
    ASSERT_TRUE(Ended(cleaner));
}

}  // namespace
