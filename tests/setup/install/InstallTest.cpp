// The install engine and the uninstaller as a user's machine sees them: the packed setup.exe of
// this build installs through the workers into a folder of the test's, and the installed
// Uninst.exe removes it again through its temporary copy and batch file.
#include "engine/Progress.h"
#include "engine/SetupSession.h"
#include "engine/Shortcut.h"
#include "config/Text.h"
#include "engine/Workers.h"
#include "support/TempFolder.h"
#include "WizardDriver.h"
#include "win/FileStream.h"
#include "win/ComPtr.h"
#include "win/Handles.h"
#include "win/WideText.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <set>

namespace {

using setup::FromWide;
using setup::ToWide;

const wchar_t* const kProductKey = L"Software\\Quorvane\\Tracelorn";
const wchar_t* const kParentKey = L"Software\\Quorvane";
const wchar_t* const kEntryKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tracelorn";
const wchar_t* const kOtherEntryKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TlTestOther";
const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Recorder : public setup::Progress {
public:
    void SetRange(uint32_t steps) override { range = steps; }
    void Status(const std::u16string& line, bool step) override {
        lines.push_back(line);
        if (step) ++steps;
    }
    void Finished(setup::WorkResult r) override {
        result = r;
        ++finished;
    }
    bool HasLineStarting(const std::u16string& prefix) const {
        return std::any_of(lines.begin(), lines.end(), [&](const std::u16string& l) { return l.rfind(prefix, 0) == 0; });
    }
    uint32_t range = 0;
    uint32_t steps = 0;
    int finished = 0;
    setup::WorkResult result = setup::WorkResult::Failed;
    std::vector<std::u16string> lines;
};

std::u16string FullPath(const wchar_t* relative) {
    wchar_t full[MAX_PATH];
    ::GetFullPathNameW(relative, MAX_PATH, full, nullptr);
    return FromWide(full);
}

// The build's own files, as the test program (in <build>/tests) sees them.
std::u16string BinPath(const std::u16string& name) { return FullPath((L"..\\bin\\" + ToWide(name)).c_str()); }

std::string ReadAll(const std::u16string& path) {
    QV::FileStream file;
    if (!file.OpenRead(path)) return "<missing>";
    std::string data(size_t(file.Size()), '\0');
    if (file.Read(data.data(), data.size()) != data.size()) return "<short>";
    return data;
}

bool Exists(const std::u16string& path) { return ::GetFileAttributesW(ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyExists(const wchar_t* key) {
    setup::RegKey opened;
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, opened.Receive()) == ERROR_SUCCESS;
}

std::wstring ReadString(const wchar_t* key, const wchar_t* value) {
    wchar_t buffer[1024] = L"";
    DWORD size = sizeof buffer;
    if (::RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) {
        return L"<none>";
    }
    return buffer;
}

DWORD ReadDword(const wchar_t* key, const wchar_t* value) {
    DWORD data = 0xFFFFFFFF, size = sizeof data;
    ::RegGetValueW(HKEY_CURRENT_USER, key, value, RRF_RT_REG_DWORD, nullptr, &data, &size);
    return data;
}

void WriteString(const wchar_t* key, const wchar_t* value, const wchar_t* text) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key, value, REG_SZ, text, DWORD((wcslen(text) + 1) * sizeof(wchar_t)));
}

std::u16string ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return FromWide(path);
}

std::set<std::u16string> AsSet(const std::vector<std::u16string>& list) { return {list.begin(), list.end()}; }

// Waits for every process of the uninstaller's chain: the temporary copy ("qvu*.exe") and the
// command interpreter running its batch file.
void WaitForUninstallerChain() {
    for (int round = 0; round < 100; ++round) {
        std::vector<DWORD> ids;
        setup::FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
            const std::wstring name = entry.szExeFile;
            if (_wcsnicmp(name.c_str(), L"qvu", 3) == 0 || _wcsicmp(name.c_str(), L"cmd.exe") == 0) {
                ids.push_back(entry.th32ProcessID);
            }
        }
        if (ids.empty()) return;
        for (DWORD id : ids) {
            setup::KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
            if (process) ::WaitForSingleObject(process.Get(), 60000);
        }
    }
}

class SetupInstall : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(com_.Ok()); }
    setup::ComApartment com_{COINIT_APARTMENTTHREADED};
    TempFolder temp_;
};

TEST_F(SetupInstall, InstallsUpdatesAndUninstallsLeavingOnlyWhatWasThere) {
    const std::u16string setupExe = BinPath(u"setup.exe");
    // Someone else's uninstall entry and start-up value beside ours stay untouched.
    WriteString(kOtherEntryKey, L"DisplayName", L"Other");
    WriteString(kRunKey, L"OtherRun", L"other.exe");
    ASSERT_FALSE(KeyExists(kParentKey));

    // The folder below a parent the installation has to create, as the shipped location does.
    const std::u16string base = setup::FromAnsiCodePage(temp_.Path());
    const std::u16string parent = base + u"Quorvane";
    const std::u16string folder = parent + u"\\Tracelorn";
    const std::u16string desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
    const std::u16string programs = ShellFolder(CSIDL_PROGRAMS) + u"\\Tracelorn";

    setup::SetupSession session;
    ASSERT_TRUE(session.Load(setupExe, setup::SetupMode::Install));
    ASSERT_TRUE(session.FromArchive());
    EXPECT_EQ(session.InstalledVersion(), u"0.0.0.0");
    EXPECT_TRUE(session.IsNewerThanInstalled());
    ASSERT_EQ(session.Components().size(), 3u);
    session.SetInstallFolder(folder);
    Recorder progress;
    ASSERT_EQ(setup::RunInstallation(session, progress), setup::WorkResult::Completed);
    EXPECT_EQ(progress.finished, 1);
    EXPECT_TRUE(session.completed);
    EXPECT_FALSE(session.busy);
    EXPECT_EQ(progress.steps, progress.range);
    EXPECT_EQ(progress.lines.back(), u"Completed");

    // Every file equals the build's.
    std::vector<std::u16string> installed = {u"Tracelorn.exe", u"TracelornCmd.exe", u"Tracelorn.chm", u"Uninst.exe",
                                             u"PolicyDefinitions\\Tracelorn.admx",
                                             u"PolicyDefinitions\\en-US\\Tracelorn.adml"};
    for (const wchar_t* plugins : {L"STDPLUGS", L"APPPLUGS"}) {
        WIN32_FIND_DATAW data;
        setup::FindHandle find(::FindFirstFileW((ToWide(BinPath(u"")) + plugins + L"\\*.tlp").c_str(), &data));
        ASSERT_TRUE(find);
        do {
            installed.push_back(FromWide(plugins) + u"\\" + FromWide(data.cFileName));
        } while (::FindNextFileW(find.Get(), &data));
    }
    EXPECT_EQ(session.Settings().FileCount(), installed.size());
    for (const std::u16string& name : installed) {
        EXPECT_TRUE(ReadAll(folder + u"\\" + name) == ReadAll(BinPath(name))) << setup::U16ToUtf8(name);
    }

    // The log holds exactly what was created.
    setup::UninstallLog log;
    {
        QV::FileStream file;
        ASSERT_TRUE(file.OpenRead(folder + u"\\uninst.dat"));
        ASSERT_TRUE(log.Read(file));
    }
    std::set<std::u16string> files;
    for (const std::u16string& name : installed) files.insert(folder + u"\\" + name);
    const std::set<std::u16string> links = {desktop + u"\\Tracelorn.lnk", programs + u"\\Tracelorn.lnk",
                                            programs + u"\\Uninstall Tracelorn.lnk", programs + u"\\Tracelorn Help.lnk"};
    files.insert(links.begin(), links.end());
    files.insert(folder + u"\\uninst.dat");
    EXPECT_EQ(AsSet(log.Files()), files);
    EXPECT_EQ(log.Files().size(), files.size());
    EXPECT_EQ(log.Folders(), (std::vector<std::u16string>{parent, folder, folder + u"\\APPPLUGS",
                                                          folder + u"\\PolicyDefinitions",
                                                          folder + u"\\PolicyDefinitions\\en-US",
                                                          folder + u"\\STDPLUGS", programs}));
    std::set<std::u16string> created, values;
    for (const setup::RegLogEntry& entry : log.Registry()) {
        EXPECT_EQ(entry.root, 1u);
        (entry.isValue ? values : created).insert(entry.isValue ? entry.key + u"|" + entry.value : entry.key);
    }
    EXPECT_TRUE(created.count(u"SOFTWARE\\Quorvane"));
    EXPECT_TRUE(created.count(u"SOFTWARE\\Quorvane\\Tracelorn"));
    EXPECT_TRUE(created.count(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tracelorn"));
    EXPECT_EQ(created.size(), 3u);
    EXPECT_TRUE(values.empty());

    // Shortcuts resolve to the installed files.
    EXPECT_EQ(setup::ShortcutTarget(desktop + u"\\Tracelorn.lnk").value_or(u""), folder + u"\\Tracelorn.exe");
    EXPECT_EQ(setup::ShortcutTarget(programs + u"\\Uninstall Tracelorn.lnk").value_or(u""), folder + u"\\Uninst.exe");
    EXPECT_EQ(setup::ShortcutTarget(programs + u"\\Tracelorn Help.lnk").value_or(u""), folder + u"\\Tracelorn.chm");

    // The product key and the uninstall entry.
    const std::wstring wideFolder = ToWide(folder);
    EXPECT_EQ(ReadString(kProductKey, L"InstallDir"), wideFolder);
    EXPECT_EQ(ReadString(kProductKey, L"Version"), L"2.3");
    EXPECT_EQ(ReadString(kProductKey, L"Language"), L"en");
    EXPECT_EQ(ReadString(kEntryKey, L"UninstallString"), L"\"" + wideFolder + L"\\Uninst.exe\"");
    EXPECT_EQ(ReadString(kEntryKey, L"DisplayIcon"), wideFolder + L"\\Tracelorn.exe");
    EXPECT_EQ(ReadString(kEntryKey, L"InstallLocation"), wideFolder + L"\\");
    EXPECT_EQ(ReadString(kEntryKey, L"DisplayVersion"), L"2.3");
    EXPECT_EQ(ReadString(kEntryKey, L"Publisher"), L"Quorvane");
    EXPECT_EQ(ReadDword(kEntryKey, L"NoModify"), 1u);
    EXPECT_EQ(ReadDword(kEntryKey, L"NoRepair"), 1u);
    session.Close();

    // The same version again: not newer, so the "tOldVer" message.
    {
        setup::SetupSession again;
        ASSERT_TRUE(again.Load(setupExe, setup::SetupMode::Install));
        EXPECT_EQ(again.InstalledVersion(), u"2.3");
        EXPECT_FALSE(again.IsNewerThanInstalled());
        EXPECT_EQ(again.Languages().Text("tOldVer"), u"The newest version of Tracelorn is already installed.");
    }

    // Update mode replaces a file left read-only and hidden, and extends the log without repeats.
    ::SetFileAttributesW(ToWide(folder + u"\\Tracelorn.chm").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    {
        setup::SetupSession update;
        ASSERT_TRUE(update.Load(setupExe, setup::SetupMode::Update));
        update.SetInstallFolder(folder);
        ASSERT_TRUE(update.LogLoaded());
        EXPECT_TRUE(update.Components().empty());
        Recorder updating;
        EXPECT_EQ(setup::RunInstallation(update, updating), setup::WorkResult::Completed);
        EXPECT_EQ(update.Log().Files(), log.Files());
        EXPECT_EQ(update.Log().Folders(), log.Folders());
        EXPECT_EQ(update.Log().Registry().size(), log.Registry().size());
    }
    EXPECT_TRUE(ReadAll(folder + u"\\Tracelorn.chm") == ReadAll(BinPath(u"Tracelorn.chm")));

    // What the cleaner writes while it is used.
    for (const wchar_t* name : {L"config.cfg", L"CustomTargets.tgs", L"update.prm", L"banner.qbf", L"STDPLUGS\\Fetched.tlp"}) {
        setup::FileHandle file(::CreateFileW((wideFolder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
    }
    WriteString(L"Software\\Quorvane\\Tracelorn\\2.3\\Targets", L"T1", L"1");
    WriteString(kRunKey, L"TL21", (wideFolder + L"\\Tracelorn.exe -ws").c_str());

    // The stored uninstaller: marker 1 -> temporary copy with marker 2 -> worker -> batch. Made
    // read-only, as a member packed with that attribute would be: the copy must still be patched.
    ASSERT_TRUE(::SetFileAttributesW((wideFolder + L"\\Uninst.exe").c_str(), FILE_ATTRIBUTE_READONLY));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + wideFolder + L"\\Uninst.exe\"";
    ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    setup::KernelHandle process(info.hProcess), thread(info.hThread);
    ASSERT_EQ(::WaitForSingleObject(process.Get(), 60000), WAIT_OBJECT_0);
    DWORD code = 99;
    ::GetExitCodeProcess(process.Get(), &code);
    EXPECT_EQ(code, 0u);
    // The copy shows the uninstall wizard: Next, Uninstall, and Close once it has finished.
    const HWND wizard = wizard_test::WaitForTop(L"Tracelorn 2.3 Uninstall");
    ASSERT_NE(wizard, nullptr);
    wizard_test::Press(wizard, IDOK);
    ASSERT_TRUE(wizard_test::WaitForItemText(wizard, IDOK, L"Uninstall"));
    wizard_test::Press(wizard, IDOK);
    ASSERT_TRUE(wizard_test::WaitForItemText(wizard, IDCANCEL, L"Close"));
    wizard_test::Press(wizard, IDCANCEL);
    WaitForUninstallerChain();

    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(parent));
    EXPECT_FALSE(Exists(programs));
    for (const std::u16string& link : links) EXPECT_FALSE(Exists(link)) << setup::U16ToUtf8(link);
    EXPECT_FALSE(KeyExists(kParentKey));
    EXPECT_FALSE(KeyExists(kEntryKey));
    EXPECT_EQ(ReadString(kRunKey, L"TL21"), L"<none>");
    EXPECT_EQ(ReadString(kRunKey, L"OtherRun"), L"other.exe");
    EXPECT_EQ(ReadString(kOtherEntryKey, L"DisplayName"), L"Other");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kOtherEntryKey);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"OtherRun");
}

TEST_F(SetupInstall, AFileThatCannotBeReplacedFailsWithoutUninstallEntry) {
    // A folder where the program file should go: empty, so the folder is usable, but no file can
    // be moved over it.
    const std::u16string folder = setup::FromAnsiCodePage(temp_.Path()) + u"Blocked";
    const std::string blocked = temp_.MakeFolder("Blocked\\Tracelorn.exe");

    setup::SetupSession session;
    ASSERT_TRUE(session.Load(BinPath(u"setup.exe"), setup::SetupMode::Install));
    session.SetInstallFolder(folder);
    Recorder progress;
    EXPECT_EQ(setup::RunInstallation(session, progress), setup::WorkResult::Failed);
    EXPECT_TRUE(session.failed);
    EXPECT_TRUE(progress.HasLineStarting(u"Failed: " + folder + u"\\Tracelorn.exe"));
    EXPECT_EQ(progress.lines.back().rfind(u"Installation failed", 0), 0u);
    EXPECT_TRUE(FolderExists(blocked));
    EXPECT_FALSE(KeyExists(kEntryKey));
    // What was written is logged before the first replacement.
    setup::UninstallLog log;
    {
        QV::FileStream file;
        ASSERT_TRUE(file.OpenRead(folder + u"\\uninst.dat"));
        ASSERT_TRUE(log.Read(file));
    }
    const auto files = log.Files();
    EXPECT_EQ(std::count(files.begin(), files.end(), folder + u"\\Uninst.exe"), 1);
    session.Close();

    // Without a readable log an uninstallation removes nothing, not even the registry keys.
    {
        setup::SetupSession none;
        ASSERT_TRUE(none.Load(BinPath(u"setup.exe"), setup::SetupMode::Uninstall,
                              setup::FromAnsiCodePage(temp_.MakeFolder("Empty"))));
        Recorder removing;
        EXPECT_EQ(setup::RunUninstallation(none, removing), setup::WorkResult::Failed);
        EXPECT_TRUE(KeyExists(kProductKey));
    }

    // The uninstall worker driven directly removes what the failed installation wrote, and
    // leaves the user's file.
    setup::SetupSession removal;
    ASSERT_TRUE(removal.Load(BinPath(u"setup.exe"), setup::SetupMode::Uninstall, folder + u"\\"));
    ASSERT_TRUE(removal.LogLoaded());
    Recorder removing;
    EXPECT_EQ(setup::RunUninstallation(removal, removing), setup::WorkResult::Completed);
    EXPECT_FALSE(Exists(folder + u"\\Uninst.exe"));
    EXPECT_FALSE(Exists(folder + u"\\uninst.dat"));
    EXPECT_FALSE(Exists(folder + u"\\Tracelorn.exe.tlnew"));
    EXPECT_TRUE(FolderExists(blocked));
    EXPECT_FALSE(KeyExists(kParentKey));
}

}  // namespace
