#include "WizardDriver.h"

#include "win/GdiHandles.h"
#include "win/Handles.h"

#include <tlhelp32.h>

#include <vector>

namespace wizard_test {

namespace {

struct Search {
    const std::wstring* caption;
    const wchar_t* className;
    HWND except;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchTop(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (window == search->except || !::IsWindowVisible(window)) return TRUE;
    if (search->pid) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        if (pid != search->pid) return TRUE;
        search->found = window;
        return FALSE;
    }
    if (Text(window) != *search->caption) return TRUE;
    if (search->className) {
        wchar_t name[64] = L"";
        ::GetClassNameW(window, name, 64);
        if (_wcsicmp(name, search->className) != 0) return TRUE;
    }
    search->found = window;
    return FALSE;
}

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (::GetDlgCtrlID(window) != search->id || !::IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindTop(const std::wstring& caption, const wchar_t* className, HWND except) {
    Search search{&caption, className, except, 0, nullptr};
    ::EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindProcessWindow(DWORD pid) {
    const std::wstring none;
    Search search{&none, nullptr, nullptr, pid, nullptr};
    ::EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD ms) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(50);
    }
}

HWND WaitForTop(const std::wstring& caption, DWORD ms, const wchar_t* className, HWND except) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTop(caption, className, except)) != nullptr; }, ms);
    return found;
}

void Press(HWND window, int id) {
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(window, id)));
}

std::wstring Text(HWND control) {
    wchar_t text[1024] = L"";
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &length)) {
        return std::wstring();
    }
    return std::wstring(text, size_t(length));
}

std::wstring ItemText(HWND window, int id) { return Text(::GetDlgItem(window, id)); }

bool WaitForItemText(HWND window, int id, const std::wstring& text, DWORD ms) {
    return WaitUntil([&] { return ItemText(window, id) == text && ::IsWindowVisible(::GetDlgItem(window, id)); }, ms);
}

bool ItemEnabled(HWND window, int id) { return ::IsWindowEnabled(::GetDlgItem(window, id)) != FALSE; }

HWND FindDescendant(HWND window, int id) {
    ChildSearch search{id, nullptr};
    ::EnumChildWindows(window, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool SaveWindowPicture(HWND window, const std::wstring& path) {
    RECT rect;
    if (!::GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    const setup::WindowDc screen(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    setup::GdiObject<HBITMAP> bitmap(::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return false;
    {
        setup::MemoryDc memory(::CreateCompatibleDC(screen.Get()));
        setup::SelectedObject selected(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY);
    }
    ::GdiFlush();
    const DWORD stride = DWORD((width * 3 + 3) & ~3);
    const DWORD size = stride * DWORD(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + size;
    setup::FileHandle out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return out && ::WriteFile(out.Get(), &file, sizeof file, &written, nullptr) &&
           ::WriteFile(out.Get(), &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
           ::WriteFile(out.Get(), bits, size, &written, nullptr);
}

HANDLE Start(const std::wstring& commandLine, DWORD* pid) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        return nullptr;
    }
    const setup::KernelHandle thread(info.hThread);
    if (pid) *pid = info.dwProcessId;
    return info.hProcess;
}

DWORD ExitCode(HANDLE process, DWORD ms) {
    if (::WaitForSingleObject(process, ms) != WAIT_OBJECT_0) return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFE;
    ::GetExitCodeProcess(process, &code);
    return code;
}

DWORD FindProcess(const wchar_t* exeName) {
    setup::FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, exeName) == 0) return entry.th32ProcessID;
    }
    return 0;
}

void EndStrayProcesses() {
    setup::FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
        const wchar_t* name = entry.szExeFile;
        if (_wcsnicmp(name, L"qvu", 3) != 0 && _wcsicmp(name, L"setup.exe") != 0 && _wcsicmp(name, L"Uninst.exe") != 0 &&
            _wcsicmp(name, L"Tracelorn.exe") != 0) {
            continue;
        }
        setup::KernelHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (!process) continue;
        ::TerminateProcess(process.Get(), 99);
        ::WaitForSingleObject(process.Get(), 5000);
    }
}

void WaitForProcesses(const std::initializer_list<const wchar_t*>& prefixes, DWORD ms) {
    for (int round = 0; round < 100; ++round) {
        std::vector<DWORD> ids;
        setup::FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
            for (const wchar_t* prefix : prefixes) {
                if (_wcsnicmp(entry.szExeFile, prefix, wcslen(prefix)) == 0) ids.push_back(entry.th32ProcessID);
            }
        }
        if (ids.empty()) return;
        for (DWORD id : ids) {
            setup::KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
            if (process) ::WaitForSingleObject(process.Get(), ms);
        }
    }
}

}  // namespace wizard_test
