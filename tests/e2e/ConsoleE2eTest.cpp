// End-to-end: the real TracelornCmd.exe beside the real Tracelorn.exe, over planted traces, with
// its report held against the window's counts, a "browser" holding its profile lock, a run held
// elsewhere, and a policy that locks a target and a setting in both front ends.
#include "Cleaner.h"
#include "app/DlgMainIds.h"
#include "dialogs/DlgExcludesIds.h"
#include "dialogs/DlgOptionsIds.h"
#include "dialogs/DlgOthersIds.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include <sddl.h>
#include <shlobj.h>

using namespace e2e;

namespace {

constexpr char kPolicyKey[] = "Software\\Policies\\Quorvane\\Tracelorn";

struct CmdResult {
    DWORD code = 0xFFFFFFFF;
    std::string out;
};

// Runs the console with its standard output on a pipe (standard error is left out of it).
CmdResult RunCmd(const std::string& exe, const std::string& arguments) {
    CmdResult r;
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, &sa, 0)) return r;
    ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write;
    si.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + exe + "\" " + arguments;
    const bool started = ::CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    ::CloseHandle(write);
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (::ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got) r.out.append(buffer, got);
        ::WaitForSingleObject(pi.hProcess, 60000);
        ::GetExitCodeProcess(pi.hProcess, &r.code);
        ::CloseHandle(pi.hThread);
        ::CloseHandle(pi.hProcess);
    }
    ::CloseHandle(read);
    return r;
}

// The run exclusion as the programs name it: a mutex per user in the global namespace.
std::string RunLockName() {
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    char buffer[256] = {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    ::CloseHandle(token);
    char* sid = nullptr;
    ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid);
    const std::string name = std::string("Global\\Tracelorn.Run.") + (sid ? sid : "");
    ::LocalFree(sid);
    return name;
}

// A target's entry in the report, up to what --details adds after it.
std::string Entry(const std::string& id, int files, int bytes) {
    return "{\"id\": \"" + id + "\", \"files\": " + std::to_string(files) + ", \"items\": 0, \"bytes\": " +
           std::to_string(bytes) + ", \"skipped\": null";
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

// A planted file as --details lists it in the report: its folder, name, size and last write time.
std::string FileItem(const std::string& folder, const std::string& name) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExA((folder + "\\" + name).c_str(), GetFileExInfoStandard, &data);
    SYSTEMTIME t{};
    ::FileTimeToSystemTime(&data.ftLastWriteTime, &t);
    char time[32];
    std::snprintf(time, sizeof time, "%04u-%02u-%02uT%02u:%02u:%02uZ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return "{\"kind\": \"file\", \"path\": \"" + Escaped(folder) + "\", \"name\": \"" + name +
           "\", \"size\": " + std::to_string(data.nFileSizeLow) + ", \"time\": \"" + time + "\"}";
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class ConsoleE2e : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kPolicyKey);
        ResetSettings();
        exe = root.Path() + "prog\\Tracelorn.exe";
        cmd = root.Path() + "prog\\TracelornCmd.exe";
        root.MakeFolder("prog\\APPPLUGS");
        const std::string bin = BuiltCleaner().substr(0, BuiltCleaner().find_last_of('\\') + 1);
        ::CopyFileA((bin + "Tracelorn.exe").c_str(), exe.c_str(), FALSE);
        ::CopyFileA((bin + "TracelornCmd.exe").c_str(), cmd.c_str(), FALSE);
        Refill();
        WritePlugin(root.Path() + "prog\\APPPLUGS\\three.tlp", "E2E Three", root.Path() + "data\\three\\");
        WritePlugin(root.Path() + "prog\\APPPLUGS\\five.tlp", "E2E Five", root.Path() + "data\\five\\");
        RunningCleaner first(exe);  // writes every target's selection; then only ours stay on
        ASSERT_TRUE(first.WaitForWindow());
        first.Exit();
        ASSERT_TRUE(first.WaitForExit());
        SelectOnly({"E2E Three", "E2E Five"});
        SetSetting("ShowMainWnd", 1);
    }
    void TearDown() override {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kPolicyKey);
        ResetSettings();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    }
    void Refill() {
        for (int i = 0; i < 3; ++i) root.MakeFile("data\\three\\f" + std::to_string(i) + ".txt", 100);
        for (int i = 0; i < 5; ++i) root.MakeFile("data\\five\\g" + std::to_string(i) + ".txt", 1024);
    }
    std::vector<Line> WindowScan() {
        RunningCleaner window(exe);
        EXPECT_TRUE(window.WaitForWindow());
        window.Click(IDC_SCAN);
        EXPECT_TRUE(window.WaitForIdle());
        std::vector<Line> lines = window.Lines();
        window.Exit();
        EXPECT_TRUE(window.WaitForExit());
        return lines;
    }

    TempFolder root;
    std::string exe, cmd;
};

TEST_F(ConsoleE2e, ListScanAndKillMatchTheWindowAndReportSkipsAndBusyRuns) {
    const CmdResult list = RunCmd(cmd, "list --json");
    EXPECT_EQ(list.code, 0u);
    EXPECT_NE(list.out.find("{\"id\": \"Applications/E2E Three\", \"category\": \"Applications\", \"selected\": true"),
              std::string::npos) << list.out;

    // An import through the console: what the rule allows is listed, unselected; what it refuses is
    // in the report beside the program; removing it leaves nothing of it.
    std::ofstream(root.Path() + "apps.ini")
        << "[E2E Imported *]\nDetectFile=%WinDir%\nFileKey1=%LocalAppData%\\E2EImported|*.tmp\n"
        << "RegKey1=HKCU\\Software\\Microsoft\\Windows\n";
    const CmdResult imported = RunCmd(cmd, "import \"" + root.Path() + "apps.ini\"");
    EXPECT_EQ(imported.code, 0u) << imported.out;
    EXPECT_NE(imported.out.find("1 programs imported, 1 entries refused"), std::string::npos) << imported.out;
    std::string refusals;
    {
        std::ifstream reportFile(root.Path() + "prog\\ImportReport.txt");
        refusals.assign(std::istreambuf_iterator<char>(reportFile), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(refusals.find("RegKey1=HKCU\\Software\\Microsoft\\Windows: "), std::string::npos) << refusals;
    EXPECT_NE(RunCmd(cmd, "list").out.find("[ ] Applications/E2E Imported"), std::string::npos);
    EXPECT_EQ(RunCmd(cmd, "import --remove").code, 0u);
    EXPECT_EQ(RunCmd(cmd, "list").out.find("E2E Imported"), std::string::npos);

    // The window's counts for the saved selection, and the console's for the same.
    std::string fromWindow;
    for (const Line& l : WindowScan())
        if (l.kind == 4) fromWindow += l.name + ":" + l.files + "," + l.items + ";";
    EXPECT_EQ(fromWindow, "E2E Five:5,0;E2E Three:3,0;");
    const CmdResult scan = RunCmd(cmd, "scan --preset --json -");
    EXPECT_EQ(scan.code, 0u);
    EXPECT_EQ(scan.out.rfind("{\n  \"program\": \"Tracelorn\"", 0), 0u) << "nothing but the report: " << scan.out;
    EXPECT_NE(scan.out.find(Entry("Applications/E2E Five", 5, 5120)), std::string::npos) << scan.out;
    EXPECT_NE(scan.out.find(Entry("Applications/E2E Three", 3, 300)), std::string::npos);
    EXPECT_EQ(ListFolder(root.Path() + "data\\three").size(), 3u);

    // With --details every planted file is listed under its target, in the report and in the lines.
    const std::string three = root.Path() + "data\\three", five = root.Path() + "data\\five";
    std::vector<std::string> plantedItems;
    for (int i = 0; i < 3; ++i) plantedItems.push_back(FileItem(three, "f" + std::to_string(i) + ".txt"));
    for (int i = 0; i < 5; ++i) plantedItems.push_back(FileItem(five, "g" + std::to_string(i) + ".txt"));
    const CmdResult details = RunCmd(cmd, "scan --preset --details --json -");
    EXPECT_EQ(details.code, 0u);
    for (const std::string& item : plantedItems) EXPECT_NE(details.out.find(item), std::string::npos) << item << details.out;
    EXPECT_EQ(Occurrences(details.out, "\"kind\": "), 8u) << details.out;
    const CmdResult lines = RunCmd(cmd, "scan \"Applications/E2E Three\" --details");
    EXPECT_NE(lines.out.find("E2E Three  Files: 3  Items: 0  Disk space: 0,29 KB\r\n    " + three + "\\f0.txt  "),
              std::string::npos) << lines.out;
    EXPECT_EQ(Occurrences(lines.out, "\r\n    "), 3u) << lines.out;

    // Another run holds the exclusion: the console ends with 3 and the window refuses its Scan.
    {
        std::unique_ptr<void, void (*)(void*)> held(::CreateMutexA(nullptr, TRUE, RunLockName().c_str()), [](void* h) {
            ::ReleaseMutex(h);
            ::CloseHandle(h);
        });
        ASSERT_NE(held.get(), nullptr);
        EXPECT_EQ(RunCmd(cmd, "kill --preset").code, 3u);
        const std::vector<Line> refused = WindowScan();
        ASSERT_EQ(refused.size(), 2u);
        EXPECT_EQ(refused[1].name, "Another Scan or Kill is running. Try again when it has ended.");
    }
    EXPECT_EQ(ListFolder(root.Path() + "data\\five").size(), 5u);

    // A browser holding its profile's lock: its targets are skipped and said so; exit code 1.
    char local[MAX_PATH] = {};
    ASSERT_TRUE(::SHGetSpecialFolderPathA(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE));
    const std::string vendor = std::string(local) + "\\BraveSoftware";
    if (FolderExists(vendor)) GTEST_SKIP() << vendor << " exists already: not ours to use";
    struct Planted {  // the browser ended and its folder gone, however the case ends
        std::string vendor;
        PROCESS_INFORMATION pi{};
        ~Planted() {
            if (pi.hProcess) {
                ::TerminateProcess(pi.hProcess, 0);
                ::WaitForSingleObject(pi.hProcess, 5000);
                ::CloseHandle(pi.hThread);
                ::CloseHandle(pi.hProcess);
            }
            RemoveTree(vendor);
        }
    } planted{vendor};
    PROCESS_INFORMATION& pi = planted.pi;
    const std::string data = vendor + "\\Brave-Browser\\User Data\\";
    ::SHCreateDirectoryExA(nullptr, (data + "Default\\Cache").c_str(), nullptr);
    ::CloseHandle(::CreateFileA((data + "Default\\Preferences").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ::CloseHandle(::CreateFileA((data + "Default\\Cache\\data_0").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const std::string browser = vendor + "\\Brave-Browser\\Application\\brave.exe";
    ::SHCreateDirectoryExA(nullptr, (vendor + "\\Brave-Browser\\Application").c_str(), nullptr);
    ::CopyFileA((BuiltCleaner().substr(0, BuiltCleaner().rfind("\\bin\\")) + "\\tests\\tl_watched.exe").c_str(),
                browser.c_str(), FALSE);
    // A database that is not one is left as it was, and said so: the target ran, but not fully.
    root.MakeFileWith("History.txt", "not a database, whatever its name");
    ::CopyFileA((root.Path() + "History.txt").c_str(), (data + "Default\\History").c_str(), FALSE);
    const CmdResult untouched = RunCmd(cmd, "scan \"Brave/Brave History\" --json -");
    EXPECT_EQ(untouched.code, 1u) << untouched.out;
    EXPECT_NE(untouched.out.find("History left as it was"), std::string::npos) << untouched.out;
    EXPECT_NE(untouched.out.find("\"exitCode\": 1"), std::string::npos);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string line = "\"" + browser + "\" --hold " + data + "lockfile";
    ASSERT_TRUE(::CreateProcessA(browser.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_TRUE(WaitFor([&] { return !WindowsOf(pi.dwProcessId).empty(); }));

    uint32_t files0 = 0, items0 = 0;
    uint64_t bytes0 = 0;
    ReadTotals(root.Path() + "prog\\", files0, items0, bytes0);
    const std::string report = root.Path() + "report.json";
    // The window stays open through the console's Kill, as it does in the tray: its exit must
    // keep what the console added to the totals.
    RunningCleaner idle(exe);
    ASSERT_TRUE(idle.WaitForWindow());
    const CmdResult kill =
        RunCmd(cmd, "kill \"Applications/E2E*\" \"Brave/Brave Cache\" --overwrite 0 --details --json \"" + report + "\"");
    EXPECT_EQ(kill.code, 1u) << kill.out;
    const std::string json = ReadFileBytes(report);
    EXPECT_NE(json.find("\"id\": \"Brave/Brave Cache\", \"files\": 0, \"items\": 0, \"bytes\": 0, \"skipped\": \"Brave Cache "
                        "skipped: Brave is running."),
              std::string::npos) << json;
    EXPECT_NE(json.find(Entry("Applications/E2E Three", 3, 300)), std::string::npos) << json;
    for (const std::string& item : plantedItems) EXPECT_NE(json.find(item), std::string::npos) << item << json;
    EXPECT_NE(json.find("try again.\", \"details\": []}"), std::string::npos) << json;
    EXPECT_NE(kill.out.find("Summary Kill Information:  Files: 8"), std::string::npos) << kill.out;
    EXPECT_EQ(ListFolder(root.Path() + "data\\three").size(), 0u);
    idle.Exit();
    ASSERT_TRUE(idle.WaitForExit());
    uint32_t files = 0, items = 0;
    uint64_t bytes = 0;
    ASSERT_TRUE(ReadTotals(root.Path() + "prog\\", files, items, bytes));
    EXPECT_EQ(files, files0 + 8);
    EXPECT_EQ(bytes, bytes0 + 300 + 5 * 1024);
}

TEST_F(ConsoleE2e, APolicyLocksATargetASettingAndAnExcludeInTheWindowAndTheConsole) {
    HKEY key = nullptr, targets = nullptr, excludes = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kPolicyKey) + "\\Excludes").c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &excludes, nullptr), ERROR_SUCCESS);
    const std::string kept = "FILE|" + root.Path() + "data\\three\\f0.txt";
    ::RegSetValueExA(excludes, "1", 0, REG_SZ, reinterpret_cast<const BYTE*>(kept.c_str()), static_cast<DWORD>(kept.size() + 1));
    ::RegCloseKey(excludes);
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kPolicyKey) + "\\Targets").c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &targets, nullptr), ERROR_SUCCESS);
    ::RegSetValueExA(targets, "E2E Five", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
    ::RegCloseKey(targets);
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, kPolicyKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const DWORD on = 1;
    ::RegSetValueExA(key, "SecDel", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
    ::RegCloseKey(key);

    EXPECT_EQ(RunCmd(cmd, "scan \"Applications/E2E Five\"").code, 2u) << "a forced-off target cannot be named";
    EXPECT_EQ(RunCmd(cmd, "kill --preset --overwrite 0").code, 2u) << "no run below a forced SecDel";
    const CmdResult scan = RunCmd(cmd, "scan \"Applications/*\" --json -");
    EXPECT_EQ(scan.code, 0u);
    EXPECT_NE(scan.out.find("Applications/E2E Three"), std::string::npos);
    EXPECT_EQ(scan.out.find("E2E Five"), std::string::npos) << scan.out;
    EXPECT_EQ(RunCmd(cmd, "kill \"Applications/E2E Three\"").code, 0u);
    EXPECT_EQ(ListFolder(root.Path() + "data\\three"), std::vector<std::string>{"f0.txt"}) << "the policy's exclude stays";

    RunningCleaner window(exe);
    ASSERT_TRUE(window.WaitForWindow());
    window.Click(IDC_SCAN);
    ASSERT_TRUE(window.WaitForIdle());
    bool five = false;
    for (const Line& l : window.Lines()) five |= l.name == "E2E Five";
    EXPECT_FALSE(five) << "the window's run leaves the forced-off target out";
    window.ClickLater(IDC_OPTIONS);
    HWND options = window.WaitForDialog("Tracelorn Options");
    ASSERT_NE(options, nullptr);
    HWND page = PageWith(options, IDC_SEC_DEL);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_SEC_DEL))) << "greyed";
    EXPECT_TRUE(::IsWindowEnabled(::GetDlgItem(page, IDC_AUTO_START))) << "only what the policy names";
    ::SendMessageW(::GetDlgItem(options, IDC_TAB_EXCLUDES), BM_CLICK, 0, 0);
    page = PageWith(options, IDC_EXCLUDE_LIST);
    ASSERT_TRUE(page && WaitShown(page));
    EXPECT_EQ(::SendMessageW(::GetDlgItem(page, IDC_EXCLUDE_LIST), LB_GETCOUNT, 0, 0), 1) << "the policy's, listed";
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(page, IDC_EXCLUDE_REMOVE))) << "and not the user's to remove";
    ::PostMessageA(::GetDlgItem(options, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitGone(options));
    window.Exit();
    ASSERT_TRUE(window.WaitForExit());
}

}  // namespace
