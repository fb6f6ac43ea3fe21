// The silent setup and the user's folder, through the real setup.exe and Uninst.exe of this build:
// no window at any moment, the exit codes scripts read, a folder holding a user's file refused,
// an update cut off after every replacement, and the user's own file of a product name kept.
#include "WizardDriver.h"
#include "config/Text.h"
#include "install/UninstallLog.h"
#include "support/TempFolder.h"
#include "win/FileStream.h"
#include "win/WideText.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <atomic>
#include <functional>
#include <set>
#include <thread>

namespace {

using namespace wizard_test;

const wchar_t* const kProductKey = L"Software\\Quorvane\\Tracelorn";
const wchar_t* const kEntryKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tracelorn";
constexpr int kExitCommand = 32773;

std::wstring BinPath(const wchar_t* name) {
    wchar_t full[MAX_PATH];
    ::GetFullPathNameW((std::wstring(L"..\\bin\\") + name).c_str(), MAX_PATH, full, nullptr);
    return full;
}

std::wstring Wide(const std::string& ansi) { return setup::ToWide(setup::FromAnsiCodePage(ansi)); }
bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring ReadString(const wchar_t* key, const wchar_t* value) {
    wchar_t buffer[1024] = L"";
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return L"";
    return buffer;
}

DWORD RunProgram(const std::wstring& program, const std::wstring& arguments) {
    Process process(Start(L"\"" + program + L"\" " + arguments));
    return process ? ExitCode(process.Get()) : 0xFFFFFFFF;
}

// Every visible top-level window of another process, from construction to Stop.
class WindowWatch {
public:
    WindowWatch() : thread_([this] { Watch(); }) {}
    ~WindowWatch() { Stop(); }
    std::wstring Stop() {
        running_ = false;
        if (thread_.joinable()) thread_.join();
        return seen_;
    }

private:
    void Watch() {
        while (running_) {
            ::EnumWindows(Found, reinterpret_cast<LPARAM>(this));
            ::Sleep(2);
        }
    }
    static BOOL CALLBACK Found(HWND window, LPARAM self) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        if (pid == ::GetCurrentProcessId() || !::IsWindowVisible(window)) return TRUE;
        auto* watch = reinterpret_cast<WindowWatch*>(self);
        if (!watch->windows_.insert(window).second) return TRUE;
        wchar_t title[128] = L"";
        ::GetWindowTextW(window, title, 128);
        watch->seen_ += std::wstring(title) + L"|";
        return TRUE;
    }
    std::atomic<bool> running_{true};
    std::set<HWND> windows_;
    std::wstring seen_;
    std::thread thread_;
};

// The cleaner at `folder` starts and shows its main window; it is closed again.
bool ProgramStarts(const std::wstring& folder) {
    DWORD pid = 0;
    Process cleaner(Start(L"\"" + folder + L"\\Tracelorn.exe\"", &pid));
    HWND main = nullptr;
    if (!cleaner || !WaitUntil([&] { return (main = FindProcessWindow(pid)) != nullptr; }, 30000)) return false;
    ::PostMessageW(main, WM_COMMAND, kExitCommand, 0);
    return ::WaitForSingleObject(cleaner.Get(), 30000) == WAIT_OBJECT_0;
}

std::wstring AppDataFolder() {
    wchar_t path[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return std::wstring(path) + L"\\Quorvane\\Tracelorn";
}

class SilentSetup : public ::testing::Test {
protected:
    void TearDown() override { EndStrayProcesses(); }
    TempFolder temp_;
};

TEST_F(SilentSetup, InstallsAndUninstallsWithoutAnyWindowLeavingNothing) {
    const std::wstring parent = Wide(temp_.Path()) + L"My Apps";
    const std::wstring folder = parent + L"\\Tracelorn";
    const std::wstring log = Wide(temp_.Path()) + L"install log.txt";
    WindowWatch watch;
    // "/D=" takes the rest of the line, spaces and all.
    EXPECT_EQ(RunProgram(BinPath(L"setup.exe"), L"/S /NOSHORTCUTS /LOG=\"" + log + L"\" /D=" + folder), 0u);
    EXPECT_TRUE(Exists(folder + L"\\Tracelorn.exe"));
    EXPECT_FALSE(Exists(folder + L"\\setup.jnl"));
    EXPECT_EQ(ReadString(kEntryKey, L"QuietUninstallString"), L"\"" + folder + L"\\Uninst.exe\" /S");
    const std::string lines = ReadFileBytes(temp_.Path() + "install log.txt");
    EXPECT_NE(lines.find("Extract: Tracelorn.exe\r\n"), std::string::npos);
    EXPECT_NE(lines.find("Completed\r\n"), std::string::npos);
    // Installed already: code 5; another setup of ours running: code 1618.
    EXPECT_EQ(RunProgram(BinPath(L"setup.exe"), L"/S /D=" + folder), 5u);
    {
        setup::KernelHandle other(::CreateMutexW(nullptr, FALSE, L"Local\\Quorvane.Tracelorn.Setup"));
        EXPECT_EQ(RunProgram(folder + L"\\Uninst.exe", L"/S"), 1618u);
    }
    EXPECT_TRUE(Exists(folder + L"\\Uninst.exe"));

    EXPECT_EQ(RunProgram(folder + L"\\Uninst.exe", L"/S"), 0u);
    WaitForProcesses({L"qvu", L"cmd"});
    EXPECT_EQ(watch.Stop(), L"");
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(parent));
    EXPECT_EQ(ReadString(kEntryKey, L"UninstallString"), L"");
    EXPECT_EQ(ReadString(kProductKey, L"Version"), L"");
}

TEST_F(SilentSetup, AFolderHoldingAUsersFileIsRefusedWithNothingChanged) {
    const std::string notes = temp_.MakeFileWith("Mine\\notes.txt", "the user's");
    const std::wstring folder = Wide(temp_.Path()) + L"Mine";
    EXPECT_EQ(RunProgram(BinPath(L"setup.exe"), L"/S /D=" + folder), 3u);
    EXPECT_EQ(ListFolder(temp_.Path() + "Mine"), std::vector<std::string>{"notes.txt"});
    EXPECT_EQ(ReadFileBytes(notes), "the user's");
    EXPECT_EQ(ReadString(kProductKey, L"Version"), L"");
    // The wizard's refusals hold without a window too: a drive root, a removable drive, too long.
    for (const std::wstring& bad : {std::wstring(L"C:\\"), std::wstring(L"D:\\Tracelorn"),
                                    Wide(temp_.Path()) + std::wstring(240, L'a')}) {
        EXPECT_EQ(RunProgram(BinPath(L"setup.exe"), L"/S /D=" + bad), 3u);
    }
    EXPECT_EQ(ReadString(kProductKey, L"Version"), L"");
}

TEST_F(SilentSetup, AnUpdateCutOffAfterAnyReplacementLeavesAProgramThatStarts) {
    const std::wstring folder = AppDataFolder();
    ASSERT_EQ(RunProgram(BinPath(L"setup.exe"), L"/S /NOSHORTCUTS"), 0u);
    // Every installed file (before the cleaner adds its own), the executable last.
    std::vector<std::wstring> files;
    std::function<void(const std::wstring&)> list = [&](const std::wstring& sub) {
        WIN32_FIND_DATAW data;
        setup::FindHandle find(::FindFirstFileW((sub + L"\\*").c_str(), &data));
        do {
            const std::wstring name = data.cFileName, path = sub + L"\\" + name;
            if (name == L"." || name == L"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) list(path);
            else if (path != folder + L"\\uninst.dat" && path != folder + L"\\Tracelorn.exe") files.push_back(path);
        } while (::FindNextFileW(find.Get(), &data));
    };
    list(folder);
    files.push_back(folder + L"\\Tracelorn.exe");
    ASSERT_TRUE(ProgramStarts(folder));
    const FILETIME old{0, 0x01C00000};  // a time no member of the archive carries
    const auto isOld = [&](const std::wstring& path) {
        FILETIME written{};
        setup::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        return file && ::GetFileTime(file.Get(), nullptr, nullptr, &written) && ::CompareFileTime(&written, &old) == 0;
    };

    ::RegSetKeyValueW(HKEY_CURRENT_USER, kProductKey, L"Version", REG_SZ, L"2.2", 8);
    for (size_t cut = 1; cut <= files.size(); ++cut) {
        // A fresh old installation each time: every file older than the archive's, nothing staged.
        for (const std::wstring& file : files) {
            ::DeleteFileW((file + L".tlnew").c_str());
            setup::FileHandle handle(::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ::SetFileTime(handle.Get(), nullptr, nullptr, &old);
        }
        ::DeleteFileW((folder + L"\\setup.jnl").c_str());
        ::SetEnvironmentVariableW(L"TL_SETUP_FAULT_AFTER_REPLACE", std::to_wstring(cut).c_str());
        EXPECT_EQ(RunProgram(BinPath(L"setup.exe"), L"update /S /NOLAUNCH"), 99u);
        ::SetEnvironmentVariableW(L"TL_SETUP_FAULT_AFTER_REPLACE", nullptr);
        // Exactly `cut` files are new, one at a time, and the executable only at the very end.
        size_t replaced = 0;
        for (const std::wstring& file : files) replaced += isOld(file) ? 0 : 1;
        EXPECT_EQ(replaced, cut);
        EXPECT_EQ(isOld(files.back()), cut < files.size()) << cut;
        // The cleaner is started at the ends and where the executable changes; in between it is
        // the same executable file the last start used.
        if (cut == 1 || cut + 1 >= files.size()) EXPECT_TRUE(ProgramStarts(folder)) << cut;
    }

    // The next update finishes the half-done one.
    for (const std::wstring& file : files) {
        setup::FileHandle handle(::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ::SetFileTime(handle.Get(), nullptr, nullptr, &old);
    }
    ::SetEnvironmentVariableW(L"TL_SETUP_FAULT_AFTER_REPLACE", L"3");
    EXPECT_EQ(RunProgram(BinPath(L"setup.exe"), L"update /S /NOLAUNCH"), 99u);
    ::SetEnvironmentVariableW(L"TL_SETUP_FAULT_AFTER_REPLACE", nullptr);
    EXPECT_EQ(RunProgram(BinPath(L"setup.exe"), L"update /S /NOLAUNCH"), 0u);
    for (const std::wstring& file : files) EXPECT_FALSE(isOld(file) || Exists(file + L".tlnew"));
    EXPECT_FALSE(Exists(folder + L"\\setup.jnl"));
    EXPECT_EQ(ReadString(kProductKey, L"Version"), L"2.3");
    EXPECT_TRUE(ProgramStarts(folder));

    EXPECT_EQ(RunProgram(folder + L"\\Uninst.exe", L"/S"), 0u);
    WaitForProcesses({L"qvu", L"cmd"});
    EXPECT_FALSE(Exists(folder));
}

TEST_F(SilentSetup, TheUsersFileOfAProductNameSurvivesUninstall) {
    // The folder of an earlier installation whose log keeps no record of whose config.cfg is:
    // it was there before this installation, so it is the user's.
    const std::string earlier = temp_.MakeFileWith("Old\\Tracelorn.exe", "old program");
    const std::string config = temp_.MakeFileWith("Old\\config.cfg", "the user's settings");
    const std::u16string folder = setup::FromAnsiCodePage(temp_.Path() + "Old");
    setup::UninstallLog log;
    log.AddFile(setup::FromAnsiCodePage(earlier));
    log.AddFile(folder + u"\\uninst.dat");
    {
        QV::FileStream file;
        ASSERT_TRUE(file.OpenWrite(folder + u"\\uninst.dat"));
        ASSERT_TRUE(log.Write(file));
    }
    ASSERT_EQ(RunProgram(BinPath(L"setup.exe"), L"/S /NOSHORTCUTS /D=" + setup::ToWide(folder)), 0u);
    EXPECT_NE(ReadFileBytes(earlier), "old program");
    // What the cleaner writes after the installation is its own.
    const std::string targets = temp_.MakeFileWith("Old\\CustomTargets.tgs", "cleaner");

    EXPECT_EQ(RunProgram(setup::ToWide(folder) + L"\\Uninst.exe", L"/S"), 0u);
    WaitForProcesses({L"qvu", L"cmd"});
    EXPECT_EQ(ListFolder(temp_.Path() + "Old"), std::vector<std::string>{"config.cfg"});
    EXPECT_EQ(ReadFileBytes(config), "the user's settings");
}

}  // namespace
