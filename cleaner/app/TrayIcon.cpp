#include "app/TrayIcon.h"

#include "platform/GdiHandles.h"
#include "platform/Handles.h"
#include "platform/Text.h"
#include "res/ResourceIds.h"

#include <mmsystem.h>

namespace {
// UTF-8 text into a fixed UTF-16 field of the notification record, cut so that the terminating
// zero fits and no surrogate pair is split.
void CopyToWideField(wchar_t* field, size_t fieldSize, const std::string& text) {
    if (fieldSize == 0) return;
    std::wstring wide = WideFromUtf8(text);
    size_t n = wide.size() < fieldSize - 1 ? wide.size() : fieldSize - 1;
    if (n > 0 && n < wide.size() && wide[n - 1] >= 0xD800 && wide[n - 1] <= 0xDBFF) --n;
    wide.copy(field, n);
    field[n] = L'\0';
}
}  // namespace

CTrayIcon::~CTrayIcon() { Destroy(); }

std::string CTrayIcon::BalloonText() const { return Utf8FromWide(TrimNul(data_.szInfo)); }
std::string CTrayIcon::BalloonTitle() const { return Utf8FromWide(TrimNul(data_.szInfoTitle)); }

void CTrayIcon::Create(UINT iconId, UINT menuId) {
    data_ = NOTIFYICONDATAW{};
    data_.cbSize = sizeof(NOTIFYICONDATAW);  // the form with the balloon fields
    data_.uID = iconId;
    menuId_ = menuId;
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
}

void CTrayIcon::SetNotificationWindow(HWND window, UINT callbackMessage) {
    hook_.Detach();
    data_.hWnd = window;
    data_.uCallbackMessage = callbackMessage;
    if (window) (void)hook_.Attach(window);
}

bool CTrayIcon::SetIcon(UINT resourceId) {
    if (resourceId == 0) {
        Destroy();
        return true;
    }
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    wchar_t tip[128] = {};
    ::LoadStringW(instance, resourceId, tip, 128);
    CopyToWideField(data_.szTip, 128, Utf8FromWide(TrimNul(tip)));
    HICON icon = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    data_.hIcon = icon ? icon : ::LoadIconA(nullptr, IDI_APPLICATION);
    return AddOrModify();
}

bool CTrayIcon::AddOrModify() {
    data_.uFlags = NIF_ICON;
    if (data_.szTip[0]) data_.uFlags |= NIF_TIP;
    if (data_.hWnd && data_.uCallbackMessage) data_.uFlags |= NIF_MESSAGE;
    const BOOL ok = ::Shell_NotifyIconW(shown_ ? NIM_MODIFY : NIM_ADD, &data_);
    if (!ok) return false;
    shown_ = true;
    data_.uVersion = NOTIFYICON_VERSION;  // 3
    ::Shell_NotifyIconW(NIM_SETVERSION, &data_);
    return true;
}

bool CTrayIcon::ShowBalloon(const std::string& text, const std::string& title, UINT timeoutMs,
                            DWORD iconFlags) {
    CopyToWideField(data_.szInfo, sizeof data_.szInfo / sizeof(wchar_t), text);
    CopyToWideField(data_.szInfoTitle, sizeof data_.szInfoTitle / sizeof(wchar_t), title);
    data_.uTimeout = timeoutMs;
    data_.dwInfoFlags = iconFlags;
    if (!shown_) return false;
    data_.uFlags = NIF_INFO;
    return ::Shell_NotifyIconW(NIM_MODIFY, &data_) != FALSE;
}

void CTrayIcon::Destroy() {
    if (shown_) {
        data_.uFlags = 0;
        ::Shell_NotifyIconW(NIM_DELETE, &data_);
        shown_ = false;
    }
    hook_.Detach();
}

void CTrayIcon::PlayEndSound() {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    HRSRC info = ::FindResourceA(instance, MAKEINTRESOURCEA(IDW_END_SOUND), "WAVE");
    if (!info) return;
    HGLOBAL loaded = ::LoadResource(instance, info);
    const void* wave = loaded ? ::LockResource(loaded) : nullptr;
    if (!wave) return;
    ::sndPlaySoundA(static_cast<LPCSTR>(wave), SND_MEMORY | SND_ASYNC | SND_NODEFAULT);
}

void CTrayIcon::OnCallback(LPARAM event) {
    if (event != WM_RBUTTONUP && event != WM_LBUTTONDBLCLK) return;
    const MenuHandle loaded(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId_)));
    if (!loaded) return;
    HMENU menu = PrepareMenu(loaded.Get());
    if (menu && event == WM_RBUTTONUP) {
        if (HMENU popup = ::GetSubMenu(menu, 0)) {
            POINT at{};
            ::GetCursorPos(&at);
            ::SetForegroundWindow(data_.hWnd);
            ::TrackPopupMenu(popup, 0, at.x, at.y, 0, data_.hWnd, nullptr);
            ::PostMessageA(data_.hWnd, WM_NULL, 0, 0);
        }
    }
    MenuDone();
}

// CSubclassWnd keeps anything thrown here from leaving the window procedure.
LRESULT CTrayIcon::NotificationHook::WindowProc(UINT message, WPARAM wp, LPARAM lp) {
    CTrayIcon& icon = icon_;
    if (message == icon.data_.uCallbackMessage && wp == icon.data_.uID) {
        icon.OnCallback(lp);
        if (icon.onEvent) icon.onEvent(lp);
        return 0;
    }
    if (icon.taskbarCreated_ && message == icon.taskbarCreated_) {
        icon.shown_ = false;  // the new taskbar has no icon of ours
        icon.AddOrModify();
    }
    return Default(message, wp, lp);
}
