#include "Cleaner.h"

#include "ListText.h"
#include "app/DlgMainIds.h"

#include <cstring>
#include <fstream>

namespace e2e {

const char* const kSettingsKey = "software\\Quorvane\\Tracelorn\\2.3";

namespace {
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

void U32(std::string& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Str(std::string& b, const std::string& s) {
    b += static_cast<char>(s.size() & 0xFF);
    b += static_cast<char>(s.size() >> 8);
    b += s;
}
// Plug-in strings are stored shifted by k = (n + 10) mod 20.
std::string Scrambled(const std::string& s) {
    const int k = static_cast<int>((s.size() + 10) % 20);
    std::string out = s;
    for (char& c : out) c = static_cast<char>((static_cast<unsigned char>(c) - k) & 0xFF);
    return out;
}
void Prop(std::string& b, const std::string& name, uint8_t type, uint32_t value) {
    Str(b, name);
    b += static_cast<char>(type);
    U32(b, value);
}
void PropString(std::string& b, const std::string& name, const std::string& value) {
    Str(b, name);
    b += static_cast<char>(4);
    Str(b, Scrambled(value));
}
void WriteSetting(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
}
}  // namespace

std::string BuiltCleaner() {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path = self;
    path = path.substr(0, path.find_last_of('\\'));   // ...\tests
    path = path.substr(0, path.find_last_of('\\'));   // the build tree
    return path + "\\bin\\Tracelorn.exe";
}

void WritePlugin(const std::string& path, const std::string& name, const std::string& folder) {
    std::string b = "TLP2";
    U32(b, 2);
    // Nodes in name order: "Info", "Rem0".
    U32(b, 0);
    Str(b, "Info");
    U32(b, 4);
    PropString(b, "Name", name);
    PropString(b, "Desc", "End-to-end test target");
    Prop(b, "Active", 1, 1);
    Str(b, "Date");
    b += static_cast<char>(5);
    b += std::string("\x07\x03\x09\x00", 4);
    U32(b, 0);
    Str(b, "Rem0");
    U32(b, 5);
    Prop(b, "Type", 0, 2);
    PropString(b, "Path", folder);
    Prop(b, "Recurs", 1, 0);
    Prop(b, "CSID", 0, 0);
    Prop(b, "RemReboot", 1, 0);
    std::ofstream out(path, std::ios::binary);
    out.write(b.data(), static_cast<std::streamsize>(b.size()));
}

void ResetSettings() {
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    HKEY run = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
        ::RegDeleteValueA(run, "TL21");
        ::RegCloseKey(run);
    }
    SetSetting("AutoStart", 0);
    SetSetting("NotifyWhenStart", 0);
}

void SetSetting(const char* name, DWORD value) { WriteSetting(name, REG_DWORD, &value, sizeof value); }

void SetSetting(const char* name, const std::string& value) {
    WriteSetting(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool ReadSetting(const char* name, DWORD& value) {
    DWORD size = sizeof value, type = 0;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    const LONG r = ::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    ::RegCloseKey(key);
    return r == ERROR_SUCCESS && type == REG_DWORD;
}

void SelectOnly(const std::vector<std::string>& names) {
    const std::string path = std::string(kSettingsKey) + "\\Targets";
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return;
    std::vector<std::string> existing;
    for (DWORD i = 0;; ++i) {
        char name[512];
        DWORD n = sizeof name;
        if (::RegEnumValueA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        existing.emplace_back(name, n);
    }
    const DWORD off = 0, on = 1;
    for (const auto& name : existing)
        ::RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
    for (const auto& name : names)
        ::RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
    ::RegCloseKey(key);
}

std::vector<HWND> WindowsOf(DWORD pid) {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{pid, {}};
    ::EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            if (owner == s->pid) s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

RunningCleaner::RunningCleaner(const std::string& exe, const std::string& arguments) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    const std::string folder = exe.substr(0, exe.find_last_of('\\'));
    if (!::CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &si, &pi))
        return;
    ::CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
}

RunningCleaner::~RunningCleaner() {
    if (!process_) return;
    if (!Exited()) {
        if (window_) {
            Exit();
            if (!WaitForExit(10000)) ::PostMessageA(window_, WM_COMMAND, IDCANCEL, 0);
        }
        if (!WaitForExit(10000)) ::TerminateProcess(process_, 1);
    }
    ::CloseHandle(process_);
}

HWND RunningCleaner::WaitForWindow(DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        for (HWND hwnd : WindowsOf(pid_)) {
            char cls[64] = {}, title[64] = {};
            ::GetClassNameA(hwnd, cls, sizeof cls);
            ::GetWindowTextA(hwnd, title, sizeof title);
            if (std::strcmp(cls, "#32770") == 0 && std::strcmp(title, "Tracelorn") == 0 &&
                ::GetDlgItem(hwnd, IDC_RESULTS)) {
                window_ = hwnd;
                // The window is created hidden and shown once it is initialised: give that a moment.
                for (int i = 0; i < 20 && !::IsWindowVisible(hwnd); ++i) ::Sleep(100);
                return hwnd;
            }
        }
        if (Exited()) return nullptr;
        ::Sleep(100);
    }
    return nullptr;
}

bool RunningCleaner::WaitForExit(DWORD ms) {
    return process_ && ::WaitForSingleObject(process_, ms) == WAIT_OBJECT_0;
}

bool RunningCleaner::Exited() const {
    return !process_ || ::WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

void RunningCleaner::Click(int id) {
    ::SendMessageA(::GetDlgItem(window_, id), BM_CLICK, 0, 0);
}

void RunningCleaner::ClickLater(int id) {
    ::PostMessageA(::GetDlgItem(window_, id), BM_CLICK, 0, 0);
}

void RunningCleaner::Command(int id) { ::PostMessageA(window_, WM_COMMAND, static_cast<WPARAM>(id), 0); }

bool RunningCleaner::ControlShown(int id) const {
    HWND control = ::GetDlgItem(window_, id);
    return control && (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::vector<Line> RunningCleaner::Lines() const {
    std::vector<Line> lines;
    HWND list = ::GetDlgItem(window_, IDC_RESULTS);
    const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const ListLineText read = ReadListLine(list, static_cast<int>(i));
        if (read.kind < 0) continue;
        Line line;
        line.kind = read.kind;
        line.state = read.state;
        line.name = read.texts[0];
        line.files = read.texts[1];
        line.items = read.texts[2];
        line.size = read.texts[3];
        lines.push_back(line);
    }
    return lines;
}

bool RunningCleaner::WaitUntilShown(bool shown, DWORD ms) const {
    const DWORD start = ::GetTickCount();
    while (IsShown() != shown) {
        if (::GetTickCount() - start >= ms) return false;
        ::Sleep(50);
    }
    return true;
}

bool RunningCleaner::WaitForIdle(DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        if (ControlShown(IDC_SCAN) && !ControlShown(IDC_STOP)) {
            const std::vector<Line> lines = Lines();
            if (!lines.empty() && (lines.back().kind == 5 || lines.back().kind == 1)) return true;
        }
        ::Sleep(50);
    }
    return false;
}

HWND RunningCleaner::WaitForDialog(const char* title, DWORD ms) const {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        for (HWND hwnd : WindowsOf(pid_)) {
            char text[128] = {};
            ::GetWindowTextA(hwnd, text, sizeof text);
            if (std::strcmp(text, title) == 0 && ::IsWindowVisible(hwnd)) return hwnd;
        }
        if (Exited()) return nullptr;
        ::Sleep(50);
    }
    return nullptr;
}

int RunningCleaner::CountWindows(const char* title) const {
    int count = 0;
    for (HWND hwnd : WindowsOf(pid_)) {
        char text[128] = {};
        ::GetWindowTextA(hwnd, text, sizeof text);
        if (std::strcmp(text, title) == 0) ++count;
    }
    return count;
}

HWND PageWith(HWND dialog, int id) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetDlgItem(child, id)) return child;
    return nullptr;
}

bool WaitFor(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start >= ms) return false;
        ::Sleep(50);
    }
    return true;
}

bool WaitGone(HWND window, DWORD ms) {
    return WaitFor([window] { return !::IsWindow(window); }, ms);
}

bool WaitShown(HWND window, DWORD ms) {
    return WaitFor([window] { return (::GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0; }, ms);
}

bool ReadRunEntry(std::string& command) {
    HKEY run = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &run) != ERROR_SUCCESS) return false;
    char text[1024] = {};
    DWORD size = sizeof text - 1, type = 0;
    const LONG r = ::RegQueryValueExA(run, "TL21", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    ::RegCloseKey(run);
    if (r != ERROR_SUCCESS || type != REG_SZ) return false;
    command = text;
    return true;
}

void WriteTotals(const std::string& programFolder, uint32_t files, uint32_t items, uint64_t bytes) {
    char b[16];
    std::memcpy(b, &files, 4);
    std::memcpy(b + 4, &items, 4);
    std::memcpy(b + 8, &bytes, 8);
    std::ofstream out(programFolder + "config.cfg", std::ios::binary | std::ios::trunc);
    out.write(b, 16);
}

bool ReadTotals(const std::string& programFolder, uint32_t& files, uint32_t& items, uint64_t& bytes) {
    std::ifstream in(programFolder + "config.cfg", std::ios::binary);
    char b[16];
    if (!in.read(b, 16)) return false;
    std::memcpy(&files, b, 4);
    std::memcpy(&items, b + 4, 4);
    std::memcpy(&bytes, b + 8, 8);
    return true;
}

}  // namespace e2e
