// End-to-end: the Auto-Kill triggers of the real Tracelorn.exe. Each Auto-Kill is recognised by the
// files it removed, its heading and the LastKillTime it stored, never by how long it took. The
// watched program and browser are copies of tl_watched.exe, which shows one window.
#include "Cleaner.h"
#include "app/DlgMainIds.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <memory>
#include <string>
#include <utility>

using namespace e2e;

namespace {

constexpr char kTarget[] = "E2E AutoKill";
constexpr int kFiles = 4;
constexpr DWORD kQuietMs = 3000;  // three ticks with nothing to do

std::string TestFolder() {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string path = self;
    return path.substr(0, path.find_last_of('\\') + 1);
}

// A copy of tl_watched.exe started at `path`.
class Watched {
public:
    explicit Watched(const std::string& path) : path_(path) {
        const std::string folder = path.substr(0, path.find_last_of('\\'));
        ::SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
        if (!::CopyFileA((TestFolder() + "tl_watched.exe").c_str(), path.c_str(), FALSE)) return;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::string commandLine = "\"" + path + "\"";
        if (!::CreateProcessA(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi))
            return;
        ::CloseHandle(pi.hThread);
        process_ = pi.hProcess;
        pid_ = pi.dwProcessId;
    }
    ~Watched() {
        if (process_ && !Ended()) {
            ::TerminateProcess(process_, 1);
            ::WaitForSingleObject(process_, 5000);
        }
        if (process_) ::CloseHandle(process_);
    }
    Watched(const Watched&) = delete;
    Watched& operator=(const Watched&) = delete;

    // Its window, once it has one that is shown (or hidden, with `shown` false).
    bool WaitUntilShown(bool shown) {
        return WaitFor([&] {
            for (HWND w : WindowsOf(pid_)) {
                char title[64] = {};
                ::GetWindowTextA(w, title, sizeof title);
                if (std::string(title) != "Tracelorn watched") continue;
                window_ = w;
                return (::IsWindowVisible(w) != FALSE) == shown;
            }
            return false;
        }, 10000);
    }
    // Hides the window; the process goes on running.
    void Hide() { ::PostMessageA(window_, WM_APP, 0, 0); }
    bool End() {
        ::PostMessageA(window_, WM_CLOSE, 0, 0);
        return ::WaitForSingleObject(process_, 10000) == WAIT_OBJECT_0;
    }
    bool Ended() const { return ::WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }
    bool Started() const { return process_ != nullptr; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    HWND window_ = nullptr;
};

void SetText(const char* name, const std::string& value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(key);
}

// Local calendar time in whole minutes since 1601, as the stamps hold it.
int64_t Minutes(const SYSTEMTIME& local) {
    FILETIME ft{};
    ::SystemTimeToFileTime(&local, &ft);
    ULARGE_INTEGER v{};
    v.LowPart = ft.dwLowDateTime;
    v.HighPart = ft.dwHighDateTime;
    return static_cast<int64_t>(v.QuadPart / 600000000ULL);
}

int64_t NowMinutes() {
    SYSTEMTIME local{};
    ::GetLocalTime(&local);
    return Minutes(local);
}

// A stamp subkey `minutesAgo` minutes before now, written as the settings store writes it.
void WriteStamp(const char* name, int minutesAgo) {
    FILETIME utc{};
    ::GetSystemTimeAsFileTime(&utc);
    ULARGE_INTEGER v{};
    v.LowPart = utc.dwLowDateTime;
    v.HighPart = utc.dwHighDateTime;
    v.QuadPart -= static_cast<ULONGLONG>(minutesAgo) * 600000000ULL;
    utc.dwLowDateTime = v.LowPart;
    utc.dwHighDateTime = v.HighPart;
    FILETIME localFt{};
    SYSTEMTIME local{};
    ::FileTimeToLocalFileTime(&utc, &localFt);
    ::FileTimeToSystemTime(&localFt, &local);
    const std::string path = std::string(kSettingsKey) + "\\" + name;
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    const std::pair<const char*, DWORD> fields[] = {
        {"Minute", local.wMinute}, {"Hour", local.wHour}, {"Day", local.wDay}, {"Month", local.wMonth}, {"Year", local.wYear}};
    for (const auto& f : fields)
        ::RegSetValueExA(key, f.first, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&f.second), sizeof f.second);
    ::RegCloseKey(key);
}

bool ReadStampMinutes(const char* name, int64_t& minutes) {
    const std::string path = std::string(kSettingsKey) + "\\" + name;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    auto field = [key](const char* value) {
        DWORD v = 0, size = sizeof v;
        ::RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size);
        return static_cast<WORD>(v);
    };
    SYSTEMTIME local{};
    local.wYear = field("Year");
    local.wMonth = field("Month");
    local.wDay = field("Day");
    local.wHour = field("Hour");
    local.wMinute = field("Minute");
    ::RegCloseKey(key);
    minutes = Minutes(local);
    return local.wYear != 0;
}

class AutoKillE2e : public ::testing::Test {
protected:
    // One program folder for the suite: a first run writes the selection of every target it has;
    // then only ours stays selected, so an Auto-Kill removes nothing outside the test's folder.
    static void SetUpTestSuite() {
        root = new TempFolder;
        exe = root->Path() + "prog\\Tracelorn.exe";
        root->MakeFolder("prog\\APPPLUGS");
        ::CopyFileA(BuiltCleaner().c_str(), exe.c_str(), FALSE);
        WritePlugin(root->Path() + "prog\\APPPLUGS\\autokill.tlp", kTarget, root->Path() + "data\\");
        ResetSettings();
        RunningCleaner first(exe);
        suiteReady = first.WaitForWindow() != nullptr;
        first.Exit();
        suiteReady = first.WaitForExit() && suiteReady;
        SelectOnly({kTarget});
    }
    static void TearDownTestSuite() {
        ResetSettings();
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
        delete root;
        root = nullptr;
    }
    // Every trigger off again (a run stores all settings when it ends), the files back.
    void SetUp() override {
        ASSERT_TRUE(suiteReady) << "the cleaner did not start in the suite's folder";
        for (const char* name : {"AKWinStart", "AKBrowserClosed", "AKEveryTime", "AKAppExit", "AutoUpdate", "KillTime"})
            SetSetting(name, 0);
        SetSetting("ShowMainWnd", 1);
        WriteStamp("LastKillTime", 60 * 24 * 3);  // long ago: every stamp seen later is a new Kill
        Refill();
    }

    void Refill() {
        for (int i = 0; i < kFiles; ++i) root->MakeFile("data\\f" + std::to_string(i) + ".txt", 512);
    }
    size_t FilesLeft() const { return ListFolder(root->Path() + "data").size(); }

    // An Auto-Kill has run: the files are gone, the run has ended and its heading names it.
    ::testing::AssertionResult AutoKillRan(RunningCleaner& cleaner, DWORD ms = 20000) {
        if (!WaitFor([&] { return FilesLeft() == 0; }, ms))
            return ::testing::AssertionFailure() << FilesLeft() << " files left: no Auto-Kill";
        if (!cleaner.WaitForIdle()) return ::testing::AssertionFailure() << "the run did not end";
        const std::vector<Line> lines = cleaner.Lines();
        if (lines.empty() || lines.front().name != "Start Auto-Kill Action:")
            return ::testing::AssertionFailure() << "not an Auto-Kill: " << (lines.empty() ? "" : lines.front().name);
        return ::testing::AssertionSuccess();
    }
    // Refilled files stay for three ticks: no further Auto-Kill.
    ::testing::AssertionResult QuietAfterRefill() {
        Refill();
        if (WaitFor([&] { return FilesLeft() < kFiles; }, kQuietMs))
            return ::testing::AssertionFailure() << "another Auto-Kill followed";
        return ::testing::AssertionSuccess();
    }
    // After the program has ended: LastKillTime lies within [from, now] (whole local minutes).
    void ExpectLastKillSince(int64_t from) {
        int64_t stamp = 0;
        ASSERT_TRUE(ReadStampMinutes("LastKillTime", stamp));
        EXPECT_GE(stamp, from);
        EXPECT_LE(stamp, NowMinutes());
    }

    static TempFolder* root;
    static std::string exe;
    static bool suiteReady;
};
TempFolder* AutoKillE2e::root = nullptr;
std::string AutoKillE2e::exe;
bool AutoKillE2e::suiteReady = false;

TEST_F(AutoKillE2e, WindowsStartAtTheFifthTickThenTheWatchedProgramsExit) {
    Watched app(root->Path() + "app\\watched.exe");
    ASSERT_TRUE(app.Started());
    ASSERT_TRUE(app.WaitUntilShown(true));
    SetSetting("AKWinStart", 1);
    SetSetting("AKAppExit", 1);
    SetText("AKAppExitName", app.Path());

    const DWORD started = ::GetTickCount();
    RunningCleaner cleaner(exe, "-ws");
    ASSERT_TRUE(cleaner.WaitForWindow());
    ASSERT_TRUE(AutoKillRan(cleaner));
    // The fifth tick comes five seconds after the window was created, later than the process start.
    EXPECT_GE(::GetTickCount() - started, 5000u);

    // The program was running through the first ticks; its end is the next Auto-Kill, and only one.
    Refill();
    const int64_t beforeExit = NowMinutes();
    ASSERT_TRUE(app.End());
    ASSERT_TRUE(AutoKillRan(cleaner));
    EXPECT_TRUE(QuietAfterRefill());
    cleaner.Exit();
    ASSERT_TRUE(cleaner.WaitForExit());
    ExpectLastKillSince(beforeExit);
}

// A browser at the per-user place of a standard install, started before the cleaner.
class BrowserCase : public AutoKillE2e {
protected:
    void SetUp() override {
        char local[MAX_PATH] = {};
        ASSERT_TRUE(::SHGetSpecialFolderPathA(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE));
        vendor = std::string(local) + "\\BraveSoftware";
        if (FolderExists(vendor)) GTEST_SKIP() << vendor << " exists already: not ours to use";
        AutoKillE2e::SetUp();
        SetSetting("AKBrowserClosed", 1);
        // The interval is due at the first tick; that tick has also seen the browser running.
        SetSetting("AKEveryTime", 1);
        SetSetting("AKEveryTimeTime", 2);  // 20 minutes
        WriteStamp("LastKillTime", 21);
    }
    void TearDown() override {
        browser.reset();
        if (!vendor.empty() && ownsVendor) RemoveTree(vendor);
    }
    Watched& StartBrowser() {
        ownsVendor = true;
        browser = std::make_unique<Watched>(vendor + "\\Brave-Browser\\Application\\brave.exe");
        return *browser;
    }

    std::string vendor;
    bool ownsVendor = false;
    std::unique_ptr<Watched> browser;
};

TEST_F(BrowserCase, IntervalAtTheFirstTickThenTheLastBrowserClosing) {
    Watched& b = StartBrowser();
    ASSERT_TRUE(b.Started());
    ASSERT_TRUE(b.WaitUntilShown(true));
    const int64_t beforeStart = NowMinutes();
    RunningCleaner cleaner(exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    ASSERT_TRUE(AutoKillRan(cleaner)) << "the interval of 20 minutes, 21 minutes after the last Kill";

    Refill();
    ASSERT_TRUE(b.End());
    ASSERT_TRUE(AutoKillRan(cleaner)) << "the last browser closed";
    EXPECT_TRUE(QuietAfterRefill());
    cleaner.Exit();
    ASSERT_TRUE(cleaner.WaitForExit());
    ExpectLastKillSince(beforeStart);
}

// A browser that stays in the background without a window (as Edge does with startup boost)
// counts as closed: hiding the last window fires, and the process ending later does not again.
TEST_F(BrowserCase, BrowserWithoutVisibleWindowCountsAsClosed) {
    Watched& b = StartBrowser();
    ASSERT_TRUE(b.Started());
    ASSERT_TRUE(b.WaitUntilShown(true));
    RunningCleaner cleaner(exe);
    ASSERT_TRUE(cleaner.WaitForWindow());
    ASSERT_TRUE(AutoKillRan(cleaner));

    Refill();
    b.Hide();
    ASSERT_TRUE(b.WaitUntilShown(false));
    ASSERT_TRUE(AutoKillRan(cleaner)) << "a browser process with no visible window still counted";
    EXPECT_FALSE(b.Ended());
    Refill();
    ASSERT_TRUE(b.End());
    EXPECT_TRUE(QuietAfterRefill());
}

TEST_F(AutoKillE2e, WindowsStartWaitsForOptionsToClose) {
    SetSetting("AKWinStart", 1);
    RunningCleaner cleaner(exe, "-ws");
    ASSERT_TRUE(cleaner.WaitForWindow());
    const DWORD windowSeen = ::GetTickCount();
    cleaner.Command(IDC_OPTIONS);
    HWND options = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND w : WindowsOf(cleaner.Pid())) {
            char title[64] = {};
            ::GetWindowTextA(w, title, sizeof title);
            if (std::string(title) == "Tracelorn Options" && ::IsWindowVisible(w)) options = w;
        }
        return options != nullptr;
    }, 10000));
    ASSERT_EQ(FilesLeft(), static_cast<size_t>(kFiles)) << "the Auto-Kill came before Options opened";
    // Past the fifth tick with Options open: nothing yet.
    const DWORD waited = ::GetTickCount() - windowSeen;
    EXPECT_FALSE(WaitFor([&] { return FilesLeft() < kFiles; }, waited < 7000 ? 7000 - waited : 0));
    ASSERT_TRUE(::IsWindow(options));

    const int64_t beforeClose = NowMinutes();
    ::PostMessageA(::GetDlgItem(options, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(options); }, 10000));
    ASSERT_TRUE(AutoKillRan(cleaner)) << "the Windows-start Auto-Kill was lost";
    EXPECT_TRUE(QuietAfterRefill());
    cleaner.Exit();
    ASSERT_TRUE(cleaner.WaitForExit());
    ExpectLastKillSince(beforeClose);
}

}  // namespace
