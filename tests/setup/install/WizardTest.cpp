// Install -> run -> uninstall as a user does it: the real setup.exe clicked through its wizard,
// the installed cleaner started from the finish page and used, the uninstaller started from the
// uninstall entry and clicked through, and the user's folders and registry compared with how they
// were before. Pictures of every page go to build/screenshots/.
#include "WizardDriver.h"
#include "support/TempFolder.h"
#include "win/Handles.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <map>
#include <set>

namespace {

using namespace wizard_test;

const std::wstring kSetupCaption = L"Tracelorn 2.3 Setup";
const std::wstring kUninstallCaption = L"Tracelorn 2.3 Uninstall";
const wchar_t* const kEntryKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tracelorn";
const wchar_t* const kProductKey = L"Software\\Quorvane\\Tracelorn";
constexpr int kScan = 32781;
constexpr int kExit = 32773;
constexpr int kResults = 1027;
constexpr int kFolderEdit = 1019;
constexpr int kLaunchBox = 1013;

std::wstring BinPath(const wchar_t* name) {
    wchar_t full[MAX_PATH];
    ::GetFullPathNameW((std::wstring(L"..\\bin\\") + name).c_str(), MAX_PATH, full, nullptr);
    return full;
}

std::wstring ShotPath(const wchar_t* name) {
    wchar_t full[MAX_PATH];
    ::GetFullPathNameW(L"..\\..\\screenshots", MAX_PATH, full, nullptr);
    ::CreateDirectoryW(full, nullptr);
    return std::wstring(full) + L"\\setup-" + name + L".bmp";
}

void Shot(HWND window, const wchar_t* name) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ::Sleep(300);  // the other process paints asynchronously; the picture is for people, not a check
    EXPECT_TRUE(SaveWindowPicture(window, ShotPath(name)));
}

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring ReadString(const wchar_t* key, const wchar_t* value) {
    wchar_t buffer[1024] = L"";
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return L"";
    return buffer;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Every file and folder below `folder`.
void ListFiles(const std::wstring& folder, std::set<std::wstring>& out) {
    WIN32_FIND_DATAW data;
    setup::FindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = folder + L"\\" + name;
        out.insert(path);
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            ListFiles(path, out);
        }
    } while (::FindNextFileW(find.Get(), &data));
}

// Every key and value (with its data) below HKCU\Software, Wine's own keys left out.
void ListKeys(HKEY parent, const std::wstring& path, std::set<std::wstring>& out) {
    setup::RegKey key;
    if (::RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return;
    out.insert(path);
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameLength = 512;
        BYTE data[2048];
        DWORD dataLength = sizeof data, type = 0;
        const LONG status = ::RegEnumValueW(key.Get(), i, name, &nameLength, nullptr, &type, data, &dataLength);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS) continue;
        std::wstring text = path + L" | " + std::wstring(name, nameLength) + L" = ";
        if (type == REG_SZ || type == REG_EXPAND_SZ) text += std::wstring(reinterpret_cast<wchar_t*>(data), dataLength / 2);
        else text += std::to_wstring(dataLength);
        out.insert(text);
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameLength = 512;
        if (::RegEnumKeyExW(key.Get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const std::wstring sub = path + L"\\" + name;
        if (_wcsicmp(sub.c_str(), L"Software\\Wine") == 0) continue;
        ListKeys(parent, sub, out);
    }
}

struct Snapshot {
    std::set<std::wstring> files, keys;
    static Snapshot Take() {
        Snapshot s;
        wchar_t profile[MAX_PATH] = L"";
        ::SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile);
        ListFiles(profile, s.files);
        ListKeys(HKEY_CURRENT_USER, L"Software", s.keys);
        return s;
    }
};

// What is in `a` and not in `b`, leaving out what the system itself keeps changing.
std::vector<std::wstring> Missing(const std::set<std::wstring>& a, const std::set<std::wstring>& b) {
    std::vector<std::wstring> out;
    for (const std::wstring& item : a) {
        if (b.count(item)) continue;
        if (item.find(L"\\Temp") != std::wstring::npos) continue;             // temporary files of Wine and the tests
        if (item.find(L"Explorer\\") != std::wstring::npos) continue;         // the shell's own recent lists
        // The system's Internet cache and history, which WinINet creates when the cleaner's scan
        // first opens them.
        if (item.find(L"\\Microsoft\\Windows\\History") != std::wstring::npos ||
            item.find(L"\\Microsoft\\Windows\\INetCache") != std::wstring::npos ||
            item.find(L"\\Microsoft\\Windows\\INetCookies") != std::wstring::npos) {
            continue;
        }
        out.push_back(item);
    }
    return out;
}

std::string Narrow(const std::vector<std::wstring>& list) {
    std::string out;
    for (const std::wstring& item : list) {
        for (wchar_t c : item) out += c < 128 ? char(c) : '?';
        out += '\n';
    }
    return out;
}

class SetupWizard : public ::testing::Test {
protected:
    void TearDown() override { EndStrayProcesses(); }
};

TEST_F(SetupWizard, InstallRunAndUninstallLeaveNothingBehind) {
    const Snapshot before = Snapshot::Take();
    const std::wstring folder = ShellFolder(CSIDL_APPDATA) + L"\\Quorvane\\Tracelorn";

    // Cancel on the welcome page asks, and No keeps the wizard.
    Process setupProcess(Start(L"\"" + BinPath(L"setup.exe") + L"\""));
    ASSERT_TRUE(setupProcess);
    HWND wizard = WaitForTop(kSetupCaption);
    ASSERT_NE(wizard, nullptr);
    ASSERT_TRUE(WaitForItemText(wizard, IDOK, L"Next >"));
    Shot(wizard, L"1-welcome");
    Press(wizard, IDCANCEL);
    const HWND question = WaitForTop(kSetupCaption, 20000, L"#32770", wizard);
    ASSERT_NE(question, nullptr);
    Press(question, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(question); }));
    EXPECT_TRUE(::IsWindowVisible(wizard));

    // Licence, components, location (fixed, so only shown); a drive root disables Install.
    Press(wizard, IDOK);
    ASSERT_TRUE(WaitForItemText(wizard, IDOK, L"I Agree"));
    const HWND license = FindDescendant(wizard, 1008);
    ASSERT_NE(license, nullptr);
    EXPECT_NE(Text(license).find(L"License Agreement"), std::wstring::npos);
    Shot(wizard, L"2-license");
    Press(wizard, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return FindDescendant(wizard, 1032) != nullptr; }));
    Shot(wizard, L"3-components");
    Press(wizard, IDOK);
    ASSERT_TRUE(WaitForItemText(wizard, IDOK, L"Install"));
    const HWND edit = FindDescendant(wizard, kFolderEdit);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(Text(edit), folder);
    Shot(wizard, L"4-location");
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"C:\\"));
    EXPECT_TRUE(WaitUntil([&] { return !ItemEnabled(wizard, IDOK); }, 5000));
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(wizard, IDOK); }, 5000));
    // D: is a removable drive in this prefix (see run.sh).
    ASSERT_EQ(::GetDriveTypeW(L"D:\\"), UINT(DRIVE_REMOVABLE));
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"D:\\Tracelorn"));
    EXPECT_TRUE(WaitUntil([&] { return !ItemEnabled(wizard, IDOK); }, 5000));
    EXPECT_EQ(Text(FindDescendant(wizard, 1024)), L"");  // no space available shown
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(wizard, IDOK); }, 5000));
    // A folder holding a file of the user's is refused, and the page says why.
    TempFolder users;
    users.MakeFileWith("notes.txt", "the user's");
    const std::wstring usersFolder(users.Path().begin(), users.Path().end());
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(usersFolder.c_str()));
    EXPECT_TRUE(WaitUntil([&] { return !ItemEnabled(wizard, IDOK); }, 5000));
    EXPECT_EQ(Text(FindDescendant(wizard, 1025)).rfind(L"This folder holds files that are not part of Tracelorn.", 0), 0u);
    Shot(wizard, L"4b-location-refused");
    ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    EXPECT_TRUE(WaitUntil([&] { return ItemEnabled(wizard, IDOK); }, 5000));
    EXPECT_EQ(Text(FindDescendant(wizard, 1025)), L"");

    // Install, and the finish page with "Launch Tracelorn" ticked.
    Press(wizard, IDOK);
    ASSERT_TRUE(WaitForItemText(wizard, IDCANCEL, L"Finish", 60000));
    const HWND launch = FindDescendant(wizard, kLaunchBox);
    ASSERT_NE(launch, nullptr);
    EXPECT_EQ(::SendMessageW(launch, BM_GETCHECK, 0, 0), BST_CHECKED);
    Shot(wizard, L"5-finish");
    EXPECT_TRUE(Exists(folder + L"\\Tracelorn.exe"));
    EXPECT_TRUE(Exists(folder + L"\\uninst.dat"));
    EXPECT_TRUE(Exists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"\\Tracelorn.lnk"));
    EXPECT_TRUE(Exists(ShellFolder(CSIDL_PROGRAMS) + L"\\Tracelorn\\Uninstall Tracelorn.lnk"));
    EXPECT_EQ(ReadString(kProductKey, L"InstallDir"), folder);
    const std::wstring uninstallString = ReadString(kEntryKey, L"UninstallString");
    EXPECT_EQ(uninstallString, L"\"" + folder + L"\\Uninst.exe\"");
    Press(wizard, IDCANCEL);
    EXPECT_EQ(ExitCode(setupProcess.Get()), 0u);

    // The cleaner starts, scans and exits, writing its own files and settings.
    DWORD cleanerPid = 0;
    ASSERT_TRUE(WaitUntil([&] { return (cleanerPid = FindProcess(L"Tracelorn.exe")) != 0; }));
    Process cleaner(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, cleanerPid));
    HWND main = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (main = FindProcessWindow(cleanerPid)) != nullptr; }, 30000));
    Press(main, kScan);
    EXPECT_TRUE(WaitUntil([&] { return ::SendMessageW(::GetDlgItem(main, kResults), LB_GETCOUNT, 0, 0) > 1 &&
                                        ::IsWindowVisible(::GetDlgItem(main, kScan)); }, 60000));
    ::PostMessageW(main, WM_COMMAND, kExit, 0);
    ASSERT_EQ(::WaitForSingleObject(cleaner.Get(), 30000), WAIT_OBJECT_0);
    EXPECT_TRUE(Exists(folder + L"\\config.cfg"));

    // Running setup.exe again: the version is installed already.
    Process again(Start(L"\"" + BinPath(L"setup.exe") + L"\""));
    const HWND message = WaitForTop(kSetupCaption, 20000, L"#32770");
    ASSERT_NE(message, nullptr);
    Shot(message, L"6-oldversion");
    Press(message, IDOK);
    EXPECT_EQ(ExitCode(again.Get()), 0u);

    // "setup.exe update" over an older version: the small dialog only, then the cleaner starts,
    // since no finish page could untick the launch.
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kProductKey, L"Version", REG_SZ, L"2.2", 8);
    Process update(Start(L"\"" + BinPath(L"setup.exe") + L"\" update"));
    if (const HWND updating = WaitForTop(L"Updating Tracelorn 2.3...", 5000)) Shot(updating, L"6b-update");
    EXPECT_EQ(ExitCode(update.Get()), 0u);
    EXPECT_EQ(ReadString(kProductKey, L"Version"), L"2.3");
    ASSERT_TRUE(WaitUntil([&] { return (cleanerPid = FindProcess(L"Tracelorn.exe")) != 0; }));
    Process updated(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, cleanerPid));
    ASSERT_TRUE(WaitUntil([&] { return (main = FindProcessWindow(cleanerPid)) != nullptr; }, 30000));
    ::PostMessageW(main, WM_COMMAND, kExit, 0);
    ASSERT_EQ(::WaitForSingleObject(updated.Get(), 30000), WAIT_OBJECT_0);

    // Cancel in uninstall mode closes at once, without a question.
    Process firstTry(Start(uninstallString));
    EXPECT_EQ(ExitCode(firstTry.Get()), 0u);
    HWND uninstall = WaitForTop(kUninstallCaption);
    ASSERT_NE(uninstall, nullptr);
    ASSERT_TRUE(WaitForItemText(uninstall, IDOK, L"Next >"));
    Press(uninstall, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(uninstall); }));
    WaitForProcesses({L"qvu", L"cmd"});
    EXPECT_TRUE(Exists(folder + L"\\Uninst.exe"));

    // The uninstall entry run as the system's list of programs does, clicked through.
    Process uninstaller(Start(uninstallString));
    EXPECT_EQ(ExitCode(uninstaller.Get()), 0u);
    uninstall = WaitForTop(kUninstallCaption);
    ASSERT_NE(uninstall, nullptr);
    ASSERT_TRUE(WaitForItemText(uninstall, IDOK, L"Next >"));
    Shot(uninstall, L"7-uninstall-welcome");
    Press(uninstall, IDOK);
    ASSERT_TRUE(WaitForItemText(uninstall, IDOK, L"Uninstall"));
    Shot(uninstall, L"8-uninstall");
    Press(uninstall, IDOK);
    ASSERT_TRUE(WaitForItemText(uninstall, IDCANCEL, L"Close", 60000));
    Shot(uninstall, L"9-uninstall-finish");
    Press(uninstall, IDCANCEL);
    WaitForProcesses({L"qvu", L"cmd"});

    EXPECT_FALSE(Exists(folder));
    const Snapshot after = Snapshot::Take();
    const auto added = Missing(after.files, before.files);
    const auto removed = Missing(before.files, after.files);
    EXPECT_TRUE(added.empty()) << "left behind:\n" << Narrow(added);
    EXPECT_TRUE(removed.empty()) << "taken:\n" << Narrow(removed);
    const auto addedKeys = Missing(after.keys, before.keys);
    const auto removedKeys = Missing(before.keys, after.keys);
    EXPECT_TRUE(addedKeys.empty()) << "left behind:\n" << Narrow(addedKeys);
    EXPECT_TRUE(removedKeys.empty()) << "taken:\n" << Narrow(removedKeys);
}

TEST_F(SetupWizard, AFailedInstallationShowsWhatFailedAndRegistersNothing) {
    // An empty folder where the program file would go: the folder holds nothing of anyone's, but
    // the program cannot be put in place.
    const std::wstring folder = ShellFolder(CSIDL_APPDATA) + L"\\Quorvane\\Tracelorn";
    const std::wstring blocked = folder + L"\\Tracelorn.exe";
    ASSERT_EQ(::SHCreateDirectoryExW(nullptr, blocked.c_str(), nullptr), ERROR_SUCCESS);
    Process process(Start(L"\"" + BinPath(L"setup.exe") + L"\""));
    const HWND wizard = WaitForTop(kSetupCaption);
    ASSERT_NE(wizard, nullptr);
    for (const wchar_t* next : {L"I Agree", L"Next >", L"Install"}) {
        Press(wizard, IDOK);
        ASSERT_TRUE(WaitForItemText(wizard, IDOK, next));
    }
    Press(wizard, IDOK);
    // The wizard stays on the installing page with the failures listed; Next goes on.
    const HWND list = FindDescendant(wizard, 1016);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(WaitUntil([&] {
        const HWND status = FindDescendant(wizard, 1006);
        return status && Text(status).rfind(L"Installation failed", 0) == 0 && ItemEnabled(wizard, IDOK);
    }, 60000));
    EXPECT_EQ(ItemText(wizard, IDCANCEL), L"Cancel");
    Shot(wizard, L"10-installing-failed");
    Press(wizard, IDOK);
    ASSERT_TRUE(WaitForItemText(wizard, IDCANCEL, L"Finish"));
    const HWND launch = FindDescendant(wizard, kLaunchBox);
    EXPECT_EQ(launch, nullptr);  // nothing to launch after a failure
    Shot(wizard, L"11-finish-failed");
    Press(wizard, IDCANCEL);
    EXPECT_EQ(ExitCode(process.Get()), 3u);
    EXPECT_EQ(FindProcess(L"Tracelorn.exe"), 0u);
    EXPECT_EQ(ReadString(kEntryKey, L"UninstallString"), L"");

    // The stored uninstaller still removes what was written, and leaves the user's file.
    Process uninstaller(Start(L"\"" + folder + L"\\Uninst.exe\""));
    EXPECT_EQ(ExitCode(uninstaller.Get()), 0u);
    const HWND uninstall = WaitForTop(kUninstallCaption);
    ASSERT_NE(uninstall, nullptr);
    Press(uninstall, IDOK);
    ASSERT_TRUE(WaitForItemText(uninstall, IDOK, L"Uninstall"));
    Press(uninstall, IDOK);
    ASSERT_TRUE(WaitForItemText(uninstall, IDCANCEL, L"Close", 60000));
    Press(uninstall, IDCANCEL);
    WaitForProcesses({L"qvu", L"cmd"});
    EXPECT_FALSE(Exists(folder + L"\\Uninst.exe"));
    EXPECT_TRUE(Exists(blocked));
    EXPECT_EQ(ReadString(kProductKey, L"InstallDir"), L"");
    ::RemoveDirectoryW(blocked.c_str());
    ::RemoveDirectoryW(folder.c_str());
    ::RemoveDirectoryW((ShellFolder(CSIDL_APPDATA) + L"\\Quorvane").c_str());
}

}  // namespace
