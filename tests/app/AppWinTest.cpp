#include "platform/ProcessList.h"
#include "app/DlgMain.h"
#include "app/SingleInstance.h"
#include "app/TrayIcon.h"
#include "platform/ProgramFolder.h"
#include "platform/SystemLibrary.h"
#include "platform/Text.h"
#include "support/TempFolder.h"
#include "targets/TargetCatalog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>

namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

TEST(ProcessCount, CountsThisProgramByPathWithoutRegardToCase) {
    const std::string self = ExecutablePath();
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(ProcessCount(self), 1);
    EXPECT_EQ(ProcessCount(Upper(self)), 1);
    EXPECT_EQ(ProcessCount(""), 0);
    EXPECT_EQ(ProcessCount("C:\\no\\such\\program.exe"), 0);
}

TEST(ProcessCount, RepeatedCallsKeepNoHandles) {
    const std::string self = ExecutablePath();
    DWORD before = 0, after = 0;
    ASSERT_TRUE(::GetProcessHandleCount(::GetCurrentProcess(), &before));
    for (int i = 0; i < 50; ++i) ASSERT_EQ(ProcessCount(self), 1);
    ASSERT_TRUE(::GetProcessHandleCount(::GetCurrentProcess(), &after));
    EXPECT_LE(after, before + 2) << "the count must close every process handle it opens";
}

TEST(SingleInstance, OneClaimPerPath) {
    const std::string path = "C:\\TracelornTest\\SingleInstance\\Tracelorn.exe";
    {
        SingleInstance first(path);
        EXPECT_TRUE(first.Acquired());
        SingleInstance second(path);
        EXPECT_FALSE(second.Acquired());
        SingleInstance sameInOtherCase(Upper(path));
        EXPECT_FALSE(sameInOtherCase.Acquired());
        SingleInstance other("C:\\TracelornTest\\Other\\Tracelorn.exe");
        EXPECT_TRUE(other.Acquired());
    }
    SingleInstance afterwards(path);
    EXPECT_TRUE(afterwards.Acquired()) << "the claim ends with its owner";
}

TEST(SingleInstance, RunningCopyOfTheSamePathKeepsOut) {
    // This test program itself runs from its path without holding the claim's mutex: the process
    // count (2 once a second process ran; here 1) decides only for copies beyond the first.
    SingleInstance self(ExecutablePath());
    EXPECT_TRUE(self.Acquired());
    SingleInstance second(ExecutablePath());
    EXPECT_FALSE(second.Acquired());
}

class TrayIconTest : public ::testing::Test {
protected:
    TrayIconTest() {
        window = ::CreateWindowExA(0, "STATIC", "tray test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   ::GetModuleHandleA(nullptr), nullptr);
    }
    ~TrayIconTest() override { ::DestroyWindow(window); }
    HWND window = nullptr;
};

TEST_F(TrayIconTest, BalloonFieldsAreCutNotOverflowed) {
    CTrayIcon icon;
    icon.Create(128, 128);
    icon.SetNotificationWindow(window, WM_USER);
    (void)icon.SetIcon(128);
    const std::string longText(400, 'x'), longTitle(100, 't');
    (void)icon.ShowBalloon(longText, longTitle, 10000);
    const NOTIFYICONDATAW& r = icon.Record();
    EXPECT_EQ(icon.BalloonText(), std::string(255, 'x'));
    EXPECT_EQ(icon.BalloonTitle(), std::string(63, 't'));
    EXPECT_EQ(r.uTimeout, 10000u);
    EXPECT_EQ(r.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_EQ(r.cbSize, sizeof(NOTIFYICONDATAW));
    EXPECT_EQ(r.uID, 128u);
    // A name outside the ANSI code page reaches the shell whole; a cut never splits a character.
    const std::string cyrillic = "\xD0\x9A\xD1\x8D\xD1\x88";  // "Кэш"
    (void)icon.ShowBalloon(cyrillic + " " + std::string(300, 'x'), std::string(62, 't') + "\xF0\x9F\x98\x80", 10000);
    EXPECT_EQ(icon.BalloonText(), cyrillic + " " + std::string(251, 'x'));
    EXPECT_EQ(icon.BalloonTitle(), std::string(62, 't'));
    (void)icon.ShowBalloon("", "Tracelorn", 10000);
    EXPECT_EQ(icon.BalloonText(), "");
    icon.Destroy();
    EXPECT_FALSE(icon.Shown());
}

// A notice about the start (custom targets that could not be read) takes the start balloon, even
// when the greeting is wanted; without one the greeting shows.
TEST(MainWindow, StartNoticeTakesTheStartBalloon) {
    TempFolder program;
    for (const bool notice : {true, false}) {
        TargetCatalog catalog("", program.Path());
        catalog.Settings().notifyWhenStart = true;
        CDlgMain::Options options{"", program.Path(), {}, {}, notice ? "Kept as CustomTargets.tgs.bak" : ""};
        CDlgMain window(catalog, std::move(options));
        ASSERT_TRUE(window.Create(nullptr));
        EXPECT_EQ(window.Tray().BalloonText(), notice ? "Kept as CustomTargets.tgs.bak" : "I'm here...");
        EXPECT_EQ(window.Tray().Record().dwInfoFlags, static_cast<DWORD>(notice ? NIIF_WARNING : NIIF_INFO));
        ::DestroyWindow(window.Hwnd());
    }
}

TEST_F(TrayIconTest, CallbackReachesTheWindowAfterTheIcon) {
    // The icon intercepts its window's messages; what it does not keep goes on to the window.
    CTrayIcon icon;
    icon.Create(128, 128);
    icon.SetNotificationWindow(window, WM_USER + 50);
    ::SetWindowTextA(window, "before");
    EXPECT_EQ(::SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("after")), TRUE);
    char text[16] = {};
    ::GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "after");
    icon.Destroy();
}

}  // namespace

namespace {

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A DLL of a system name planted beside the program is never loaded in place of the system's.
TEST(SystemLibrary, APlantedCopyBesideTheProgramIsNeverTaken) {
    std::string folder = ModulePath(nullptr);
    folder = folder.substr(0, folder.find_last_of('\\'));
    const std::string planted = folder + "\\pstorec.dll";
    {
        std::ofstream out(planted, std::ios::binary);
        out << "MZ not a library";
    }
    char system[MAX_PATH] = {};
    ::GetSystemDirectoryA(system, MAX_PATH);
    const std::string systemFolder = Lower(system) + "\\";

    HMODULE module = LoadSystemLibrary("pstorec.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Lower(ModulePath(module)), systemFolder + "pstorec.dll");
    ::FreeLibrary(module);
    module = LoadSystemLibrary("hhctrl.ocx");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Lower(ModulePath(module)), systemFolder + "hhctrl.ocx");
    ::FreeLibrary(module);

    // With the default search restricted, even a plain load of the name skips the program's folder.
    RestrictDllSearchToSystemFolder();
    module = ::LoadLibraryA("pstorec.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(Lower(ModulePath(module)), systemFolder + "pstorec.dll");
    ::FreeLibrary(module);
    ::DeleteFileA(planted.c_str());
}

}  // namespace

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// Removes a folder tree whose paths may be longer than MAX_PATH (the ANSI helpers stop there).
void RemoveLongTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE find = ::FindFirstFileW((L"\\\\?\\" + folder + L"*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveLongTree(folder + name + L"\\");
            else ::DeleteFileW((L"\\\\?\\" + folder + name).c_str());
        } while (::FindNextFileW(find, &fd));
        ::FindClose(find);
    }
    ::RemoveDirectoryW((L"\\\\?\\" + folder).c_str());
}

// A folder below base made of components until its path is longer than `length`.
std::wstring DeepFolder(const std::wstring& base, const std::wstring& component, size_t length) {
    std::wstring folder = base;
    while (folder.size() < length) {
        folder += component + L"\\";
        ::CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr);
    }
    return folder;
}

// A program deeper than MAX_PATH: it gets its full path in UTF-8 without the "\\?\" prefix it was
// started through, and the files beside it are reached through the file-system form of that path.
TEST(ProgramFolder, ALongProgramPathKeepsItsFolderReachable) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::wstring base = Wide(temp) + L"tl-long-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(base.c_str(), nullptr);

    const std::wstring deep = DeepFolder(base, std::wstring(40, L'd') + L" folder \u0436\u4e2d", MAX_PATH + 40);
    const std::wstring exe = deep + L"Tracelorn.exe";
    HANDLE file = ::CreateFileW((L"\\\\?\\" + exe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    const std::string usable = ProgramPathFromWide(L"\\\\?\\" + exe);
    ASSERT_FALSE(usable.empty());
    EXPECT_EQ(usable.rfind("\\\\?\\", 0), std::string::npos);
    EXPECT_EQ(WideFromUtf8(usable), exe);
    EXPECT_NE(::GetFileAttributesW(SystemPath(usable).c_str()), INVALID_FILE_ATTRIBUTES) << usable;
    // A lone surrogate has no UTF-8 form: no folder rather than another one.
    EXPECT_EQ(ProgramPathFromWide(L"C:\\a\xD800" L"b\\Tracelorn.exe"), "");
    // An ordinary path is used as it is.
    EXPECT_EQ(ProgramPathFromWide(L"C:\\Program Files\\Tracelorn\\Tracelorn.exe"), "C:\\Program Files\\Tracelorn\\Tracelorn.exe");
    RemoveLongTree(base);
    EXPECT_EQ(::GetFileAttributesW(base.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
