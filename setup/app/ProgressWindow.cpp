#include "app/ProgressWindow.h"

#include "win/WideText.h"

#include <commctrl.h>

namespace setup {

namespace {

constexpr wchar_t kClassName[] = L"QVSetupProgress";
// Private messages from the worker: a status line (lParam), a range (wParam), the end (wParam).
constexpr UINT kStatusMessage = WM_APP + 1;
constexpr UINT kRangeMessage = WM_APP + 2;
constexpr UINT kFinishedMessage = WM_APP + 3;
constexpr int kListId = 1001;
constexpr int kBarId = 1002;

}  // namespace

void ProgressWindow::SetRange(uint32_t steps) { ::SendMessageW(window_, kRangeMessage, steps, 0); }

void ProgressWindow::Status(const std::u16string& line, bool step) {
    const std::wstring text = ToWide(line);
    ::SendMessageW(window_, kStatusMessage, step, reinterpret_cast<LPARAM>(text.c_str()));
}

void ProgressWindow::Finished(WorkResult result) { ::SendMessageW(window_, kFinishedMessage, WPARAM(result), 0); }

DWORD WINAPI ProgressWindow::WorkerEntry(void* self) {
    auto* window = static_cast<ProgressWindow*>(self);
    try {
        window->work_(window->session_, *window);
    } catch (...) {
        // Nothing crosses the thread's boundary; the window still learns that the work ended.
        window->session_.busy = false;
        window->Finished(WorkResult::Failed);
    }
    return 0;
}

LRESULT CALLBACK ProgressWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProgressWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    try {
        self->window_ = window;
        return self->Handle(message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void ProgressWindow::Layout() {
    RECT client;
    ::GetClientRect(window_, &client);
    const int margin = 10;
    const int barHeight = 18;
    ::MoveWindow(list_, margin, margin, client.right - 2 * margin, client.bottom - 3 * margin - barHeight, TRUE);
    ::MoveWindow(bar_, margin, client.bottom - margin - barHeight, client.right - 2 * margin, barHeight, TRUE);
}

LRESULT ProgressWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                  WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, 0, 0, 0, 0,
                                  window_, reinterpret_cast<HMENU>(kListId), instance, nullptr);
        bar_ = ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window_,
                                 reinterpret_cast<HMENU>(kBarId), instance, nullptr);
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
            font_.Reset(::CreateFontIndirectW(&metrics.lfMessageFont));
            ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        }
        Layout();
        return 0;
    }
    case WM_SIZE:
        Layout();
        return 0;
    case kRangeMessage:
        ::SendMessageW(bar_, PBM_SETRANGE32, 0, LPARAM(wParam));
        ::SendMessageW(bar_, PBM_SETSTEP, 1, 0);
        return 0;
    case kStatusMessage: {
        const LRESULT index = ::SendMessageW(list_, LB_ADDSTRING, 0, lParam);
        if (index >= 0) ::SendMessageW(list_, LB_SETTOPINDEX, WPARAM(index), 0);
        if (wParam) ::SendMessageW(bar_, PBM_STEPIT, 0, 0);
        return 0;
    }
    case kFinishedMessage:
        result_ = WorkResult(wParam);
        ::DestroyWindow(window_);
        return 0;
    case WM_CLOSE:
        // The worker cannot be stopped halfway; the window closes when it ends.
        if (session_.busy) return 0;
        ::DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

int ProgressWindow::Run(const std::u16string& title, bool visible) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    ::RegisterClassExW(&windowClass);
    const HWND window = ::CreateWindowExW(0, kClassName, ToWide(title).c_str(),
                                          WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                                          CW_USEDEFAULT, 520, 300, nullptr, nullptr, instance, this);
    if (!window) return kExitFailed;
    if (visible) ::ShowWindow(window, SW_SHOWNORMAL);

    session_.busy = true;
    KernelHandle worker(::CreateThread(nullptr, 0, WorkerEntry, this, 0, nullptr));
    if (!worker) {
        session_.busy = false;
        ::DestroyWindow(window);
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    if (worker) ::WaitForSingleObject(worker.Get(), INFINITE);
    if (!worker) return kExitFailed;
    return result_ == WorkResult::Completed ? kExitSuccess : kExitFailed;
}

}  // namespace setup
