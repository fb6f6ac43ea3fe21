// tl_remote.exe: drives a running Tracelorn.exe from outside, for the run command.
//   tl_remote scan   finds the main window, presses Scan, waits for the summary, prints the lines
//   tl_remote menu   opens the tray menu (right-button release on the icon's callback)
//   tl_remote exit   chooses Exit and waits until the program has ended
//   tl_remote press ID   clicks the main window's button ID and returns at once (for a picture of
//                        the running form)
//   tl_remote command ID sends the main window the command ID as the tray menu does (1069 opens
//                        the update dialog, 32800 starts the automatic update, 32790 opens Options,
//                        32783 About) and returns at once
//   tl_remote click TITLE ID   waits for the window titled TITLE, clicks its control ID (a tab
//                        button, OK, Cancel; a shown control of that id on one of its pages when
//                        the window itself has none) and returns at once
//   tl_remote geometry TITLE   waits for the window titled TITLE and prints its screen rectangle
//                        as WIDTHxHEIGHT+X+Y (for cropping a screenshot)
#include "../ListText.h"
#include "../ShownControl.h"
#include "app/DlgMainIds.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND FindMain(DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        HWND found = nullptr;
        ::EnumWindows(
            [](HWND hwnd, LPARAM lp) -> BOOL {
                char cls[64] = {}, title[64] = {};
                ::GetClassNameA(hwnd, cls, sizeof cls);
                ::GetWindowTextA(hwnd, title, sizeof title);
                if (std::strcmp(cls, "#32770") != 0 || std::strcmp(title, "Tracelorn") != 0) return TRUE;
                if (!::GetDlgItem(hwnd, IDC_RESULTS)) return TRUE;
                *reinterpret_cast<HWND*>(lp) = hwnd;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        if (found) return found;
        ::Sleep(200);
    }
    return nullptr;
}

HWND FindTitled(const std::string& title, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        HWND found = ::FindWindowA("#32770", title.c_str());
        if (found && ::IsWindowVisible(found)) return found;
        ::Sleep(50);
    }
    return nullptr;
}

bool Shown(HWND w, int id) {
    HWND c = ::GetDlgItem(w, id);
    return c && (::GetWindowLongA(c, GWL_STYLE) & WS_VISIBLE);
}

struct Line {
    int kind = -1, state = 0;
    std::string t[4];
};

Line Read(HWND list, int i) {
    Line line;
    const ListLineText read = ReadListLine(list, i);
    line.kind = read.kind;
    line.state = read.state;
    for (int k = 0; k < 4; ++k) line.t[k] = read.texts[k];
    return line;
}

int Scan(HWND w) {
    ::SendMessageA(::GetDlgItem(w, IDC_SCAN), BM_CLICK, 0, 0);
    HWND list = ::GetDlgItem(w, IDC_RESULTS);
    const DWORD start = ::GetTickCount();
    for (;;) {
        const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
        if (Shown(w, IDC_SCAN) && count > 0) {
            const int kind = Read(list, static_cast<int>(count - 1)).kind;
            if (kind == 5 || kind == 1) break;
        }
        if (::GetTickCount() - start > 120000) {
            std::puts("the Scan did not finish within two minutes");
            return 1;
        }
        ::Sleep(100);
    }
    const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        const Line l = Read(list, i);
        switch (l.kind) {
            case 4:
                std::printf("  %-40s Files: %-6s Items: %-6s Disk space: %s\n", l.t[0].c_str(), l.t[1].c_str(),
                            l.t[2].c_str(), l.t[3].c_str());
                break;
            case 5:
                std::printf("%s Files: %s Items: %s Disk space: %s\n", l.t[0].c_str(), l.t[1].c_str(),
                            l.t[2].c_str(), l.t[3].c_str());
                break;
            default: std::printf("%s\n", l.t[0].c_str()); break;
        }
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    HWND w = FindMain(30000);
    if (!w) {
        std::puts("Tracelorn's main window did not appear");
        return 1;
    }
    // The window is created hidden and shown once initialised; a Scan pressed before that would
    // report by balloons as for a hidden window.
    if (mode == "scan" || mode == "menu" || mode == "press")
        for (int i = 0; i < 100 && !::IsWindowVisible(w); ++i) ::Sleep(50);
    if (mode == "scan") return Scan(w);
    if (mode == "press" && argc > 2) {
        ::PostMessageA(::GetDlgItem(w, std::atoi(argv[2])), BM_CLICK, 0, 0);
        return 0;
    }
    if (mode == "command" && argc > 2) {
        ::PostMessageA(w, WM_COMMAND, static_cast<WPARAM>(std::atoi(argv[2])), 0);
        return 0;
    }
    if ((mode == "click" && argc > 3) || (mode == "geometry" && argc > 2)) {
        HWND dialog = FindTitled(argv[2], 10000);
        if (!dialog) {
            std::printf("no window \"%s\"\n", argv[2]);
            return 1;
        }
        if (mode == "click") {
            const int id = std::atoi(argv[3]);
            HWND control = ::GetDlgItem(dialog, id);
            if (!control) control = ShownDescendant(dialog, id);
            ::PostMessageA(control, BM_CLICK, 0, 0);
            return 0;
        }
        RECT r{};
        ::GetWindowRect(dialog, &r);
        std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
        return 0;
    }
    if (mode == "menu") {
        ::SetForegroundWindow(w);
        ::PostMessageA(w, WM_TRAY_ICON, ID_TRAY_ICON, WM_RBUTTONUP);
        return 0;
    }
    if (mode == "exit") {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
        ::SendMessageA(w, WM_CANCELMODE, 0, 0);  // closes a menu that may be up
        ::PostMessageA(w, WM_COMMAND, IDC_EXIT, 0);
        const bool ended = process && ::WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
        if (process) ::CloseHandle(process);
        return ended ? 0 : 1;
    }
    std::puts("usage: tl_remote scan|menu|exit|press ID|command ID|click TITLE ID|geometry TITLE");
    return 2;
}
