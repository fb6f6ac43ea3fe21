// End-to-end: the real Tracelorn.exe updates an empty program folder from the publisher's demo
// folder (served by the update tests' HTTP server) through the update dialog, and the next start
// has the new targets and the banner; the automatic update does the same from the main window, and
// closing the cleaner while it waits on a silent server ends the process at once.
#include "Cleaner.h"
#include "app/DlgMainIds.h"
#include "dialogs/DlgUpdateIds.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

using namespace e2e;

namespace {

std::string ServerRoot() {
    char cwd[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, cwd);
    return std::string(cwd) + "\\update-www\\";
}

std::string Demo() { return ServerRoot() + "demo\\tracelorn\\2\\"; }

int ServerPort() {
    char cwd[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, cwd);
    std::ifstream in(std::string(cwd) + "\\update-server.port");
    int port = 0;
    in >> port;
    return port;
}

// The target name that a shipped plug-in's source (data/plugins/<std|app>/<stem>.txt) gives.
std::string SourceName(const std::string& sub, const std::string& stem) {
    std::ifstream in(std::string(TL_SOURCE_DIR) + "/data/plugins/" + sub + "/" + stem + ".txt");
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, 7, "Name = ") == 0) return line.substr(7);
    return {};
}

// Whether a demo plug-in ("APPPLUGS\x.tlp") is offered on every machine: one with conditions is
// offered only where its program is installed, which a test prefix never has.
bool OfferedEverywhere(const std::string& file) {
    const bool app = file.rfind("APPPLUGS", 0) == 0;
    const std::string stem = file.substr(9, file.size() - 13);
    std::ifstream in(std::string(TL_SOURCE_DIR) + "/data/plugins/" + (app ? "app" : "std") + "/" + stem + ".txt");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("[Valid]", 0) == 0) return false;
    return true;
}

// "STDPLUGS\x.tlp" -> target name, for every plug-in of the demo folder.
std::map<std::string, std::string> DemoPlugins() {
    std::map<std::string, std::string> found;
    for (const auto& [folder, sub] : {std::pair{"STDPLUGS", "std"}, std::pair{"APPPLUGS", "app"}}) {
        for (const std::string& file : ListFolder(Demo() + folder)) {
            const std::string name = SourceName(sub, file.substr(0, file.size() - 4));
            if (!name.empty()) found[std::string(folder) + "\\" + file] = name;
        }
    }
    return found;
}

std::set<std::string> StoredTargetNames() {
    std::set<std::string> names;
    HKEY key = nullptr;
    const std::string path = std::string(kSettingsKey) + "\\Targets";
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD n = sizeof name;
        if (::RegEnumValueA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace(name, n);
    }
    ::RegCloseKey(key);
    return names;
}

HWND FindDialog(DWORD pid, const char* title, DWORD ms = 20000) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        for (HWND hwnd : WindowsOf(pid)) {
            char text[64] = {};
            ::GetWindowTextA(hwnd, text, sizeof text);
            if (std::string(text) == title && ::IsWindowVisible(hwnd)) return hwnd;
        }
        ::Sleep(100);
    }
    return nullptr;
}

std::string Text(HWND control) {
    char text[512] = {};
    ::GetWindowTextA(control, text, sizeof text);
    return text;
}

// The server's last requests, for a failure message.
std::string LastRequests(size_t count = 12) {
    const std::string log = ReadFileBytes(ServerRoot() + "requests.log");
    size_t from = log.size();
    for (size_t lines = 0; from > 0 && lines <= count; --from)
        if (log[from - 1] == '\n') ++lines;
    return "the server's last requests:\n" + log.substr(from);
}

bool Shown(HWND control) { return control && (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

class UpdateE2e : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(ServerPort(), 0) << "the update test server is not running";
        plugins = DemoPlugins();
        ASSERT_GE(plugins.size(), 20u) << "the publisher's demo folder is missing: " << Demo();
        ResetSettings();
        SetSetting("ShowMainWnd", 1);
        SetSetting("UpdateURL", "http://127.0.0.1:" + std::to_string(ServerPort()) + "/demo/tracelorn/2/");
        exe = root.Path() + "prog\\Tracelorn.exe";
        root.MakeFolder("prog");
        ASSERT_TRUE(::CopyFileA(BuiltCleaner().c_str(), exe.c_str(), FALSE));
    }
    void TearDown() override { ResetSettings(); ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey); }

    void ExpectDemoInstalled() {
        for (const auto& [file, name] : plugins)
            EXPECT_EQ(ReadFileBytes(root.Path() + "prog\\" + file), ReadFileBytes(Demo() + file)) << file;
        EXPECT_EQ(ReadFileBytes(root.Path() + "prog\\banner.qbf"), ReadFileBytes(Demo() + "banner.qbf"));
        EXPECT_EQ(ReadFileBytes(root.Path() + "prog\\update.prm"), ReadFileBytes(Demo() + "update.prm"));
    }

    TempFolder root;
    std::string exe;
    std::map<std::string, std::string> plugins;
};

TEST_F(UpdateE2e, UpdateDialogBringsThePluginsAndBannerAndTheNextStartHasTheirTargets) {
    {
        RunningCleaner cleaner(exe);
        ASSERT_TRUE(cleaner.WaitForWindow());
        EXPECT_FALSE(cleaner.ControlShown(IDC_BANNER)) << "no banner.qbf yet";
        cleaner.Command(IDC_UPDATE_NOW);
        HWND dialog = FindDialog(cleaner.Pid(), "Update Tracelorn");
        ASSERT_TRUE(dialog) << "the update dialog did not open";
        const std::string done = "Update successfully completed.\n" + std::to_string(plugins.size()) + " plugins updated.";
        const DWORD start = ::GetTickCount();
        // Room for a GET that Wine leaves hanging until the time-out and its retry, under load.
        while (Text(::GetDlgItem(dialog, IDC_UPDATE_STATUS)) != done && ::GetTickCount() - start < 150000) ::Sleep(100);
        ASSERT_EQ(Text(::GetDlgItem(dialog, IDC_UPDATE_STATUS)), done) << LastRequests();
        EXPECT_TRUE(Shown(::GetDlgItem(dialog, IDOK)));
        EXPECT_FALSE(Shown(::GetDlgItem(dialog, IDCANCEL)));
        ExpectDemoInstalled();
        ::SendMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        for (int i = 0; i < 50 && ::IsWindow(dialog); ++i) ::Sleep(100);
        EXPECT_FALSE(::IsWindow(dialog)) << "OK closes the dialog";
        cleaner.Exit();
        ASSERT_TRUE(cleaner.WaitForExit());
    }
    const std::set<std::string> before = StoredTargetNames();
    {
        RunningCleaner cleaner(exe);
        ASSERT_TRUE(cleaner.WaitForWindow());
        ASSERT_TRUE(cleaner.WaitUntilShown(true));
        EXPECT_TRUE(cleaner.ControlShown(IDC_BANNER)) << "the fetched banner is shown";
        cleaner.Exit();
        ASSERT_TRUE(cleaner.WaitForExit());
    }
    // The catalogue of the second start held every fetched target: each was stored with its
    // selection at exit, and none of them was there after the first start.
    const std::set<std::string> after = StoredTargetNames();
    for (const auto& [file, name] : plugins) {
        if (OfferedEverywhere(file)) {
            EXPECT_TRUE(after.count(name)) << name << " (" << file << ")";
        }
        EXPECT_FALSE(before.count(name)) << name;
    }
}

TEST_F(UpdateE2e, AutomaticUpdateFromTheMainWindowBringsTheSameFiles) {
    RunningCleaner cleaner(exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    cleaner.Command(ID_AUTO_UPDATE);
    const std::string wanted = ReadFileBytes(Demo() + "update.prm");
    const DWORD start = ::GetTickCount();
    while (ReadFileBytes(root.Path() + "prog\\update.prm") != wanted && ::GetTickCount() - start < 150000) ::Sleep(100);
    ExpectDemoInstalled();
    cleaner.Exit();
    EXPECT_TRUE(cleaner.WaitForExit());
}

TEST_F(UpdateE2e, ClosingDuringAStalledDownloadEndsTheProcessAtOnce) {
    // The demo's signed list with a banner whose bytes stop coming after the first few.
    const std::string stalled = ServerRoot() + "stalled\\tracelorn\\2\\";
    ASSERT_TRUE(::CreateDirectoryA((ServerRoot() + "stalled").c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    ::CreateDirectoryA((ServerRoot() + "stalled\\tracelorn").c_str(), nullptr);
    ::CreateDirectoryA(stalled.c_str(), nullptr);
    for (const char* name : {"update.prm", "update.prm.sig", "banner.qbf"})
        ASSERT_TRUE(::CopyFileA((Demo() + name).c_str(), (stalled + name).c_str(), FALSE)) << name;
    std::ofstream(stalled + "banner.qbf.fault") << "stall";
    SetSetting("UpdateURL", "http://127.0.0.1:" + std::to_string(ServerPort()) + "/stalled/tracelorn/2/");

    // What an exit costs here without an update (Wine ends a process slowly under Xvfb).
    DWORD plainExit = 0;
    {
        RunningCleaner plain(exe);
        ASSERT_TRUE(plain.WaitForWindow());
        const DWORD start = ::GetTickCount();
        plain.Exit();
        ASSERT_TRUE(plain.WaitForExit());
        plainExit = ::GetTickCount() - start;
    }
    RunningCleaner cleaner(exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    cleaner.Command(ID_AUTO_UPDATE);
    ASSERT_TRUE(WaitFor([] {
        return ReadFileBytes(ServerRoot() + "requests.log").find("/stalled/tracelorn/2/banner.qbf") != std::string::npos;
    }, 20000));
    const DWORD start = ::GetTickCount();
    cleaner.Exit();
    ASSERT_TRUE(cleaner.WaitForExit(60000));
    // The update adds less than 2 s to the exit; an exit that waits on the network for any of its
    // time-outs takes far longer.
    EXPECT_LT(::GetTickCount() - start, plainExit + 2000) << "an exit without an update took " << plainExit << " ms";
    EXPECT_FALSE(FileExists(root.Path() + "prog\\banner.qbf"));
    EXPECT_FALSE(FileExists(root.Path() + "prog\\banner.qbf.new"));
}

}  // namespace
