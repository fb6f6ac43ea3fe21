// tl_watched.exe: a stand-in for a watched program or browser in the Auto-Kill tests. It shows one
// top-level window titled "Tracelorn watched" and runs until that window is closed. The message
// WM_APP hides the window and keeps the process running, as a browser does that stays in the
// background after its last window has closed. Started with "--hold <file>", it also keeps that
// file open without sharing for as long as it runs, as a browser holds its profile's lock file.
#include <windows.h>

#include <cstring>

namespace {
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
        case WM_APP: ::ShowWindow(window, SW_HIDE); return 0;
        case WM_DESTROY: ::PostQuitMessage(0); return 0;
        default: return ::DefWindowProcA(window, message, wp, lp);
    }
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    constexpr char kHold[] = "--hold ";
    HANDLE held = INVALID_HANDLE_VALUE;  // closed by the process's end, as a browser's lock is
    if (commandLine && ::strncmp(commandLine, kHold, sizeof kHold - 1) == 0) {
        held = ::CreateFileA(commandLine + sizeof kHold - 1, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (held == INVALID_HANDLE_VALUE) return 1;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "TracelornWatched";
    if (!::RegisterClassA(&wc)) return 1;
    HWND window = ::CreateWindowExA(0, wc.lpszClassName, "Tracelorn watched", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    10, 10, 200, 100, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return 0;
}
