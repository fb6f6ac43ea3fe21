// End-to-end: the Targets tab of Options and the custom target editor in the real Tracelorn.exe,
// driven from outside through their windows (clicks, texts, the trees' own messages), with what
// they change read back from the registry, the disk and the main window's result list.
#include "Cleaner.h"
#include "ShownControl.h"
#include "WindowText.h"
#include "app/DlgMainIds.h"
#include "dialogs/DlgAddTargetIds.h"
#include "dialogs/TargetPagesIds.h"

#include <gtest/gtest.h>

#include <commctrl.h>


using namespace e2e;

namespace {

using window_text::TextOf;
using window_text::MessageText;

constexpr int kAppTargets = 40;
constexpr char kTestKey[] = "Software\\TracelornE2e";

// A program folder with 40 application plug-ins, each over a folder of its own (one file each),
// and no standard plug-ins.
class PagesFolder {
public:
    PagesFolder() {
        exe = root.Path() + "prog\\Tracelorn.exe";
        root.MakeFolder("prog\\APPPLUGS");
        ::CopyFileA(BuiltCleaner().c_str(), exe.c_str(), FALSE);
        for (int i = 0; i < kAppTargets; ++i) {
            const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
            root.MakeFile("apps\\" + n + "\\a.txt", 10);
            WritePlugin(root.Path() + "prog\\APPPLUGS\\app" + n + ".tlp", "E2E App " + n, root.Path() + "apps\\" + n + "\\");
        }
    }
    TempFolder root;
    std::string exe;
};

// A shown top-level window of the process with this title (and, when given, this owner).
HWND ShownWindow(DWORD pid, const std::string& title, HWND owner = nullptr) {
    for (HWND w : WindowsOf(pid)) {
        if (!::IsWindowVisible(w) || TextOf(w) != title) continue;
        if (owner && ::GetWindow(w, GW_OWNER) != owner) continue;
        return w;
    }
    return nullptr;
}

HWND WaitForWindow(DWORD pid, const std::string& title, HWND owner = nullptr) {
    HWND found = nullptr;
    WaitFor([&] { return (found = ShownWindow(pid, title, owner)) != nullptr; });
    return found;
}

bool Checked(HWND box) { return ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
// A click that returns when it has been handled (never on a button that opens a modal window).
void Click(HWND control) { ::SendMessageA(control, BM_CLICK, 0, 0); }
// A click on a button that opens a modal window: returns at once.
void PostClick(HWND control) { ::PostMessageA(control, BM_CLICK, 0, 0); }

// The tree items' check boxes: state image 2 is ticked.
std::vector<HTREEITEM> TreeItems(HWND tree) {
    std::vector<HTREEITEM> items;
    for (auto i = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)); i;
         i = reinterpret_cast<HTREEITEM>(::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(i))))
        items.push_back(i);
    return items;
}
bool TreeChecked(HWND tree, HTREEITEM item) {
    const auto state = static_cast<UINT>(::SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK));
    return (state >> 12) == 2;
}
void TreeSelect(HWND tree, HTREEITEM item) {
    ::SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

DWORD StoredSelection(const std::string& name) {
    const std::string path = std::string(kSettingsKey) + "\\Targets";
    DWORD value = 0xFFFFFFFF, size = sizeof value;
    ::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

class TargetPagesE2e : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
        RunningCleaner first(folder.exe);
        ASSERT_TRUE(first.WaitForWindow()) << "the cleaner did not show its main window";
        first.Exit();
        ASSERT_TRUE(first.WaitForExit());
        SelectOnly({});
        SetSetting("ShowMainWnd", 1);
    }
    void TearDown() override {
        ResetSettings();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kTestKey);
        ::RegDeleteTreeA(HKEY_CURRENT_CONFIG, kTestKey);
    }

    HWND OpenOptions(RunningCleaner& cleaner) {
        cleaner.Command(IDC_OPTIONS);
        return WaitForWindow(cleaner.Pid(), "Tracelorn Options");
    }
    // Clicks a button that opens a modal window and waits for that window.
    HWND OpenModal(RunningCleaner& cleaner, HWND button, const std::string& title) {
        PostClick(button);
        return WaitForWindow(cleaner.Pid(), title);
    }
    // Ends a modal window with one of its buttons and waits until it is gone.
    bool CloseWith(HWND window, int id) {
        PostClick(::GetDlgItem(window, id));
        return WaitFor([&] { return !::IsWindow(window) || !::IsWindowVisible(window); });
    }

    PagesFolder folder;
};

TEST_F(TargetPagesE2e, TabsSelectAllPopupsAndFortyApplicationTargets) {
    RunningCleaner cleaner(folder.exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    HWND options = OpenOptions(cleaner);
    ASSERT_TRUE(options);

    // Tab switching: each tab shows its own page and only that.
    ASSERT_TRUE(ShownDescendant(options, IDC_TARGET_LIST)) << "the Windows page shows first";
    Click(ShownDescendant(options, IDC_TAB_BROWSERS));
    EXPECT_TRUE(ShownDescendant(options, IDC_GROUP_FIRST)) << "the Browsers page shows its groups";
    Click(ShownDescendant(options, IDC_TAB_APPLICATIONS));
    EXPECT_TRUE(ShownDescendant(options, IDC_APP_TREE));
    EXPECT_FALSE(ShownDescendant(options, IDC_TARGET_LIST));
    Click(ShownDescendant(options, IDC_TAB_CUSTOM));
    EXPECT_TRUE(ShownDescendant(options, IDC_CUSTOM_TREE));
    EXPECT_FALSE(ShownDescendant(options, IDC_APP_TREE));
    Click(ShownDescendant(options, IDC_TAB_WINDOWS));
    ASSERT_TRUE(ShownDescendant(options, IDC_TARGET_LIST));

    // Windows page: without standard plug-ins, its six built-in targets. Ticking every box ticks
    // "Select All"; clearing one clears it.
    HWND list = ShownDescendant(options, IDC_TARGET_LIST);
    HWND selectAll = ShownDescendant(options, IDC_SELECT_ALL);
    std::vector<HWND> boxes;
    for (int i = 0; HWND box = ::GetDlgItem(list, IDC_TARGET_FIRST + i); ++i) boxes.push_back(box);
    ASSERT_EQ(boxes.size(), 6u);
    for (HWND box : boxes) {
        EXPECT_FALSE(Checked(selectAll));
        if (!Checked(box)) Click(box);
    }
    EXPECT_TRUE(Checked(selectAll));
    EXPECT_EQ(TextOf(ShownDescendant(options, IDC_SELECTED_COUNT)), "6");
    Click(boxes[2]);
    EXPECT_FALSE(Checked(selectAll));
    EXPECT_EQ(TextOf(ShownDescendant(options, IDC_SELECTED_COUNT)), "5");
    Click(selectAll);
    EXPECT_TRUE(Checked(boxes[2])) << "Select All ticks every box";

    // Browsers page: every group button lies on the page above the separator, none over another.
    Click(ShownDescendant(options, IDC_TAB_BROWSERS));
    std::vector<RECT> groups;
    for (int g = 0; HWND button = ShownDescendant(options, IDC_GROUP_FIRST + g); ++g) {
        RECT r{};
        ::GetWindowRect(button, &r);
        ::MapWindowPoints(nullptr, ::GetParent(button), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_LE(r.bottom, 230) << "group " << g;
        if (!groups.empty()) EXPECT_GE(r.top, groups.back().bottom) << "group " << g;
        groups.push_back(r);
    }
    EXPECT_GE(groups.size(), 4u);
    // The last group opens as well as the first: every browser the catalogue holds is reachable.
    HWND lastGroup = ShownDescendant(options, IDC_GROUP_FIRST + static_cast<int>(groups.size()) - 1);
    ASSERT_TRUE(lastGroup);
    HWND lastPopup = OpenModal(cleaner, lastGroup, TextOf(lastGroup));
    ASSERT_TRUE(lastPopup) << TextOf(lastGroup);
    EXPECT_TRUE(::GetDlgItem(::GetDlgItem(lastPopup, IDC_TARGET_LIST), IDC_TARGET_FIRST));
    ASSERT_TRUE(CloseWith(lastPopup, IDCANCEL));

    // A pop-up closed with Cancel changes nothing.
    HWND popup = OpenModal(cleaner, ShownDescendant(options, IDC_GROUP_FIRST), "Firefox Mozilla (2.x)");
    ASSERT_TRUE(popup);
    HWND firstBox = ::GetDlgItem(::GetDlgItem(popup, IDC_TARGET_LIST), IDC_TARGET_FIRST);
    ASSERT_TRUE(firstBox);
    const std::string firefoxTarget = TextOf(firstBox);
    EXPECT_FALSE(Checked(firstBox));
    Click(firstBox);
    EXPECT_EQ(TextOf(::GetDlgItem(popup, IDC_SELECTED_COUNT)), "Selected Targets: 1");
    ASSERT_TRUE(CloseWith(popup, IDCANCEL));
    popup = OpenModal(cleaner, ShownDescendant(options, IDC_GROUP_FIRST), "Firefox Mozilla (2.x)");
    ASSERT_TRUE(popup);
    firstBox = ::GetDlgItem(::GetDlgItem(popup, IDC_TARGET_LIST), IDC_TARGET_FIRST);
    EXPECT_FALSE(Checked(firstBox)) << "Cancel of the pop-up kept nothing";
    // Closed with OK, the page keeps it until Options ends.
    Click(firstBox);
    ASSERT_TRUE(CloseWith(popup, IDOK));
    popup = OpenModal(cleaner, ShownDescendant(options, IDC_GROUP_FIRST), "Firefox Mozilla (2.x)");
    ASSERT_TRUE(popup);
    EXPECT_TRUE(Checked(::GetDlgItem(::GetDlgItem(popup, IDC_TARGET_LIST), IDC_TARGET_FIRST)));
    ASSERT_TRUE(CloseWith(popup, IDOK));
    // ... and Options cancelled throws all of it away, the Windows page's ticks included.
    ASSERT_TRUE(CloseWith(options, IDCANCEL));

    options = OpenOptions(cleaner);
    ASSERT_TRUE(options);
    list = ShownDescendant(options, IDC_TARGET_LIST);
    int ticked = 0;
    for (int i = 0; HWND box = ::GetDlgItem(list, IDC_TARGET_FIRST + i); ++i) ticked += Checked(box);
    EXPECT_EQ(ticked, 0) << "Options Cancel discarded the Windows page";
    Click(ShownDescendant(options, IDC_TAB_BROWSERS));
    popup = OpenModal(cleaner, ShownDescendant(options, IDC_GROUP_FIRST), "Firefox Mozilla (2.x)");
    ASSERT_TRUE(popup);
    EXPECT_FALSE(Checked(::GetDlgItem(::GetDlgItem(popup, IDC_TARGET_LIST), IDC_TARGET_FIRST)))
        << "pop-up OK, then Options Cancel: nothing changed";
    ASSERT_TRUE(CloseWith(popup, IDCANCEL));

    // Applications: all 40 targets are listed and each can be ticked.
    Click(ShownDescendant(options, IDC_TAB_APPLICATIONS));
    HWND tree = ShownDescendant(options, IDC_APP_TREE);
    ASSERT_TRUE(tree);
    const std::vector<HTREEITEM> items = TreeItems(tree);
    ASSERT_EQ(items.size(), static_cast<size_t>(kAppTargets));
    EXPECT_EQ(::SendMessageA(tree, TVM_GETCOUNT, 0, 0), kAppTargets);
    for (HTREEITEM item : items) {
        ASSERT_FALSE(TreeChecked(tree, item));
        TreeSelect(tree, item);
        ::SendMessageA(tree, WM_KEYDOWN, VK_SPACE, 0);
        ::SendMessageA(tree, WM_KEYUP, VK_SPACE, 0);
        EXPECT_TRUE(TreeChecked(tree, item));
    }
    EXPECT_TRUE(WaitFor([&] { return TextOf(ShownDescendant(options, IDC_SELECTED_COUNT)) == "40"; }));
    EXPECT_TRUE(Checked(ShownDescendant(options, IDC_SELECT_ALL)));
    // The search field keeps the names that hold its text; cleared, every target is back, ticked.
    ::SetWindowTextA(ShownDescendant(options, IDC_APP_SEARCH), "app 1");
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageA(tree, TVM_GETCOUNT, 0, 0) == 10; }));
    ::SetWindowTextA(ShownDescendant(options, IDC_APP_SEARCH), "");
    EXPECT_TRUE(WaitFor([&] { return ::SendMessageA(tree, TVM_GETCOUNT, 0, 0) == kAppTargets; }));
    for (HTREEITEM item : TreeItems(tree)) EXPECT_TRUE(TreeChecked(tree, item));
    ASSERT_TRUE(CloseWith(options, IDOK));
    // Opened again, the tree shows what OK applied.
    options = OpenOptions(cleaner);
    ASSERT_TRUE(options);
    Click(ShownDescendant(options, IDC_TAB_APPLICATIONS));
    tree = ShownDescendant(options, IDC_APP_TREE);
    int shownTicked = 0;
    for (HTREEITEM item : TreeItems(tree)) shownTicked += TreeChecked(tree, item);
    EXPECT_EQ(shownTicked, kAppTargets);
    ASSERT_TRUE(CloseWith(options, IDCANCEL));

    cleaner.Exit();
    ASSERT_TRUE(cleaner.WaitForExit());
    for (int i = 0; i < kAppTargets; ++i) {
        const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
        EXPECT_EQ(StoredSelection("E2E App " + n), 1u) << n;
    }
    EXPECT_EQ(StoredSelection(firefoxTarget), 0u);
    EXPECT_EQ(StoredSelection("Recycle Bin"), 0u);
}

// The editor inside the custom page: its messages, its checks, the safety refusal, and custom
// targets that work end to end and survive a restart.
class CustomTargetsE2e : public TargetPagesE2e {
protected:
    // Presses OK and returns the text of the message box it raises ("" when the editor closed).
    std::string OkMessage(RunningCleaner& cleaner, HWND editor) {
        PostClick(::GetDlgItem(editor, IDOK));
        HWND box = nullptr;
        const bool shown = WaitFor([&] {
            if (!::IsWindow(editor) || !::IsWindowVisible(editor)) return true;
            box = ShownWindow(cleaner.Pid(), "Tracelorn", editor);
            return box != nullptr;
        });
        if (!shown || !box) return {};
        const std::string text = MessageText(box);
        CloseWith(box, IDOK);
        return text;
    }
    void SetField(HWND window, int id, const std::string& text) {
        HWND field = ShownOnPage(window, id);
        if (!field) field = ::GetDlgItem(window, id);  // the editor's own name field
        ASSERT_TRUE(field) << id;
        ::SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    void Kind(HWND editor, int radio) { Click(::GetDlgItem(editor, radio)); }
    void Root(HWND editor, int index) { Click(ShownOnPage(editor, IDC_ROOT_FIRST + index)); }
    bool WaitForItems(HWND tree, size_t count) {
        return WaitFor([&] { return TreeItems(tree).size() == count; });
    }
};

// The SID key of HKEY_USERS that is this user's HKEY_CURRENT_USER.
std::string CurrentUserKey() {
    HKEY probe = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\TracelornE2e\\Probe", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &probe, nullptr);
    if (probe) ::RegCloseKey(probe);
    std::string found;
    for (DWORD i = 0; found.empty(); ++i) {
        char name[256];
        DWORD n = sizeof name;
        if (::RegEnumKeyExA(HKEY_USERS, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY key = nullptr;
        const std::string path = std::string(name) + "\\Software\\TracelornE2e\\Probe";
        if (::RegOpenKeyExA(HKEY_USERS, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
        ::RegCloseKey(key);
        found = name;
    }
    return found;
}

void WriteValues(HKEY root, const std::string& path, int count) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), ERROR_SUCCESS);
    for (int i = 0; i < count; ++i) {
        const std::string name = "TlVal" + std::to_string(i);
        const DWORD v = 1;
        ::RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
    }
    ::RegCloseKey(key);
}

const Line* FindLine(const std::vector<Line>& lines, const std::string& name) {
    for (const Line& l : lines)
        if (l.kind == 4 && l.name == name) return &l;
    return nullptr;
}

TEST_F(CustomTargetsE2e, EditorChecksRefusesAndItsTargetsWorkAndSurviveARestart) {
    const std::string name32(32, 'N');
    const std::string first = folder.root.Path() + "custom\\first";
    const std::string second = folder.root.Path() + "custom\\second";
    for (int i = 0; i < 3; ++i) folder.root.MakeFile("custom\\first\\f" + std::to_string(i) + ".txt", 100);
    for (int i = 0; i < 5; ++i) folder.root.MakeFile("custom\\second\\s" + std::to_string(i) + ".txt", 200);
    const std::string userKey = CurrentUserKey();
    ASSERT_FALSE(userKey.empty());
    WriteValues(HKEY_CURRENT_USER, "Software\\TracelornE2e\\Users\\Key", 3);
    WriteValues(HKEY_CURRENT_CONFIG, "Software\\TracelornE2e\\Config\\Key", 2);

    RunningCleaner cleaner(folder.exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    HWND options = OpenOptions(cleaner);
    ASSERT_TRUE(options);
    Click(ShownDescendant(options, IDC_TAB_CUSTOM));
    HWND tree = ShownDescendant(options, IDC_CUSTOM_TREE);
    ASSERT_TRUE(tree);
    EXPECT_TRUE(TreeItems(tree).empty());
    // Edit and Delete with nothing selected do nothing.
    Click(ShownDescendant(options, IDC_DELETE_TARGET));
    PostClick(ShownDescendant(options, IDC_EDIT_TARGET));
    EXPECT_FALSE(WaitFor([&] { return ShownWindow(cleaner.Pid(), "Edit Target") != nullptr; }, 500));

    HWND editor = OpenModal(cleaner, ShownDescendant(options, IDC_ADD_TARGET), "Add Target to Kill");
    ASSERT_TRUE(editor);
    EXPECT_EQ(OkMessage(cleaner, editor), "Please enter the name of target!");
    SetField(editor, IDC_TARGET_NAME, std::string(33, 'N'));
    EXPECT_EQ(OkMessage(cleaner, editor), "The name can contains maximum 32 characters!");
    SetField(editor, IDC_TARGET_NAME, name32);
    EXPECT_EQ(OkMessage(cleaner, editor), "Please fill all fields!") << "kind 1 without a file";
    SetField(editor, IDC_FILE_PATH, "relative\\name.txt");
    EXPECT_NE(OkMessage(cleaner, editor).find("full path"), std::string::npos);
    Kind(editor, IDC_KIND_FILES);
    SetField(editor, IDC_FOLDER_PATH, first);
    EXPECT_EQ(OkMessage(cleaner, editor), "Please fill all fields!") << "kind 3 without a wildcard";
    Kind(editor, IDC_KIND_REG_VALUE);
    SetField(editor, IDC_SUB_KEY, "Software\\TracelornE2e\\Users\\Key");
    EXPECT_EQ(OkMessage(cleaner, editor), "Please fill all fields!") << "a registry kind without a root";
    Root(editor, 1);
    EXPECT_EQ(OkMessage(cleaner, editor), "Please fill all fields!") << "kind 5 without a value name";
    // Pages keep their contents while the editor is open; one page's radios never touch another's.
    Kind(editor, IDC_KIND_FOLDER);
    EXPECT_TRUE(Checked(ShownOnPage(editor, IDC_INCLUDE_SUBFOLDERS))) << "folder pages start with subfolders";
    Kind(editor, IDC_KIND_REG_VALUE);
    EXPECT_TRUE(Checked(ShownOnPage(editor, IDC_ROOT_FIRST + 1)));
    EXPECT_EQ(TextOf(ShownOnPage(editor, IDC_SUB_KEY)), "Software\\TracelornE2e\\Users\\Key");
    Kind(editor, IDC_KIND_FOLDER);
    SetField(editor, IDC_FOLDER_PATH, "C:\\Windows");
    const std::string refused = OkMessage(cleaner, editor);
    EXPECT_NE(refused.find("C:\\Windows"), std::string::npos) << refused;
    EXPECT_NE(refused.find("protected folder"), std::string::npos) << refused;
    EXPECT_NE(refused.find("would clean nothing"), std::string::npos) << refused;
    SetField(editor, IDC_FOLDER_PATH, "C:\\");
    EXPECT_NE(OkMessage(cleaner, editor).find("root of a drive"), std::string::npos);
    // A folder whose name has no form in the ANSI code page (1252 here) cannot go into the custom
    // targets file: the editor says so and saves nothing, rather than storing another name.
    const std::wstring cyrillic = std::wstring(first.begin(), first.end()) + L"\\\u041A\u044D\u0448";
    ::SendMessageW(ShownOnPage(editor, IDC_FOLDER_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(cyrillic.c_str()));
    const std::string unstorable = OkMessage(cleaner, editor);
    EXPECT_NE(unstorable.find("cannot store in its custom targets file"), std::string::npos) << unstorable;
    EXPECT_TRUE(TreeItems(tree).empty()) << "nothing was added";
    // A 32-character name over a folder of files is taken.
    SetField(editor, IDC_FOLDER_PATH, first);
    EXPECT_EQ(OkMessage(cleaner, editor), "");
    ASSERT_TRUE(WaitForItems(tree, 1));

    // "Users" with a pattern: the key is this user's, reached through HKEY_USERS.
    editor = OpenModal(cleaner, ShownDescendant(options, IDC_ADD_TARGET), "Add Target to Kill");
    ASSERT_TRUE(editor);
    SetField(editor, IDC_TARGET_NAME, "E2E Users");
    Kind(editor, IDC_KIND_REG_VALUE);
    Root(editor, 4);
    SetField(editor, IDC_SUB_KEY, userKey + "\\Software\\TracelornE2e\\Users\\Key");
    SetField(editor, IDC_VALUE_NAME, "TlVal*");
    EXPECT_EQ(OkMessage(cleaner, editor), "");
    // "Current_Config", kind 6: no value name needed.
    editor = OpenModal(cleaner, ShownDescendant(options, IDC_ADD_TARGET), "Add Target to Kill");
    ASSERT_TRUE(editor);
    SetField(editor, IDC_TARGET_NAME, "E2E Config");
    Kind(editor, IDC_KIND_REG_KEY);
    EXPECT_FALSE(ShownOnPage(editor, IDC_VALUE_NAME)) << "kind 6 hides the value name";
    Root(editor, 1);
    SetField(editor, IDC_SUB_KEY, "Software");
    EXPECT_NE(OkMessage(cleaner, editor).find("too close to the root"), std::string::npos);
    Root(editor, 3);
    SetField(editor, IDC_SUB_KEY, "Software\\TracelornE2e\\Config\\Key");
    EXPECT_EQ(OkMessage(cleaner, editor), "");
    editor = OpenModal(cleaner, ShownDescendant(options, IDC_ADD_TARGET), "Add Target to Kill");
    ASSERT_TRUE(editor);
    SetField(editor, IDC_TARGET_NAME, "E2E Second");
    Kind(editor, IDC_KIND_FOLDER);
    SetField(editor, IDC_FOLDER_PATH, second);
    EXPECT_EQ(OkMessage(cleaner, editor), "");
    ASSERT_TRUE(WaitForItems(tree, 4));
    EXPECT_EQ(TextOf(ShownDescendant(options, IDC_SELECTED_COUNT)), "4");

    // Edit the first (kind 2) into kind 1: the item keeps its place, the target moves to the end.
    TreeSelect(tree, TreeItems(tree)[0]);
    editor = OpenModal(cleaner, ShownDescendant(options, IDC_EDIT_TARGET), "Edit Target");
    ASSERT_TRUE(editor);
    EXPECT_EQ(TextOf(::GetDlgItem(editor, IDC_TARGET_NAME)), name32);
    EXPECT_TRUE(Checked(::GetDlgItem(editor, IDC_KIND_FOLDER)));
    EXPECT_EQ(TextOf(ShownOnPage(editor, IDC_FOLDER_PATH)), first + "\\");
    Kind(editor, IDC_KIND_FILE);
    SetField(editor, IDC_FILE_PATH, first + "\\f0.txt");
    EXPECT_EQ(OkMessage(cleaner, editor), "");
    ASSERT_TRUE(WaitFor([&] { return ShownWindow(cleaner.Pid(), "Edit Target") == nullptr; }));
    ASSERT_EQ(TreeItems(tree).size(), 4u);
    ASSERT_TRUE(CloseWith(options, IDOK));

    // Scan: the custom targets in their new order, each counting what its entry names.
    cleaner.Click(IDC_SCAN);
    ASSERT_TRUE(cleaner.WaitForIdle());
    std::vector<Line> lines = cleaner.Lines();
    std::vector<std::string> order;
    for (const Line& l : lines)
        if (l.kind == 4) order.push_back(l.name);
    EXPECT_EQ(order, (std::vector<std::string>{"E2E Users", "E2E Config", "E2E Second", name32}));
    const Line* users = FindLine(lines, "E2E Users");
    ASSERT_TRUE(users);
    EXPECT_EQ(users->items, "3") << "HKEY_USERS (0x80000003) was stored";
    const Line* config = FindLine(lines, "E2E Config");
    ASSERT_TRUE(config);
    EXPECT_NE(config->items, "0") << "HKEY_CURRENT_CONFIG (0x80000005) was stored";
    const Line* edited = FindLine(lines, name32);
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->files, "1") << "the edited target is a single file now";
    const Line* secondLine = FindLine(lines, "E2E Second");
    ASSERT_TRUE(secondLine);
    EXPECT_EQ(secondLine->files, "5");

    // Kill removes the files; restart and the targets are still there.
    cleaner.Click(IDC_KILL);
    ASSERT_TRUE(cleaner.WaitForIdle());
    EXPECT_EQ(ListFolder(second).size(), 0u);
    EXPECT_EQ(ListFolder(first).size(), 2u);
    cleaner.Exit();
    ASSERT_TRUE(cleaner.WaitForExit());

    RunningCleaner again(folder.exe);
    ASSERT_TRUE(again.WaitForWindow());
    // Clearing a box, editing, deleting, and then Cancel of the editor and of Options: nothing
    // reaches the targets. The editor gets the item's box only as its first "Is Active".
    options = OpenOptions(again);
    ASSERT_TRUE(options);
    Click(ShownDescendant(options, IDC_TAB_CUSTOM));
    tree = ShownDescendant(options, IDC_CUSTOM_TREE);
    ASSERT_TRUE(WaitForItems(tree, 4));
    TreeSelect(tree, TreeItems(tree)[0]);
    EXPECT_TRUE(TreeChecked(tree, TreeItems(tree)[0])) << "the tree opens with the targets' selections";
    ::SendMessageA(tree, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(TreeChecked(tree, TreeItems(tree)[0]));
    editor = OpenModal(again, ShownDescendant(options, IDC_EDIT_TARGET), "Edit Target");
    ASSERT_TRUE(editor);
    EXPECT_EQ(TextOf(::GetDlgItem(editor, IDC_TARGET_NAME)), "E2E Users");
    EXPECT_FALSE(Checked(::GetDlgItem(editor, IDC_IS_ACTIVE)));
    EXPECT_EQ(TextOf(ShownOnPage(editor, IDC_VALUE_NAME)), "TlVal*");
    EXPECT_TRUE(Checked(ShownOnPage(editor, IDC_ROOT_FIRST + 4))) << "Users";
    ASSERT_TRUE(CloseWith(editor, IDCANCEL));
    TreeSelect(tree, TreeItems(tree)[1]);
    Click(ShownDescendant(options, IDC_DELETE_TARGET));
    ASSERT_TRUE(WaitForItems(tree, 3));
    ASSERT_TRUE(CloseWith(options, IDCANCEL));
    again.Click(IDC_SCAN);
    ASSERT_TRUE(again.WaitForIdle());
    order.clear();
    for (const Line& l : again.Lines())
        if (l.kind == 4) order.push_back(l.name);
    EXPECT_EQ(order, (std::vector<std::string>{"E2E Users", "E2E Config", "E2E Second", name32}));
    again.Exit();
    ASSERT_TRUE(again.WaitForExit());
}

}  // namespace
