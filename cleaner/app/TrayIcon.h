#pragma once
#include "skin/SubclassWnd.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

// The cleaner's icon in the notification area. It keeps one notification record of the shell
// (the form with balloon fields) and hooks its notification window (CSubclassWnd) to own its
// callback message and to see "TaskbarCreated"; everything else goes on to the window. Used on
// the window thread only.
class CTrayIcon {
public:
    // The window's own reaction to a callback event (WM_LBUTTONDBLCLK, NIN_BALLOONUSERCLICK, ...),
    // called after the icon has handled it (menus). The callback message never reaches the window
    // procedure: the same number may mean something else there (WM_USER is DM_GETDEFID).
    std::function<void(LPARAM event)> onEvent;

    CTrayIcon() = default;
    virtual ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    void Create(UINT iconId, UINT menuId);
    void SetNotificationWindow(HWND window, UINT callbackMessage);
    // Loads tooltip string and icon of this id and adds or modifies the icon; 0 deletes it.
    bool SetIcon(UINT resourceId);
    // Text cut to 255, title to 63 UTF-16 units (never inside a character); an empty text
    // withdraws a balloon on show. The texts may carry target names of any script.
    bool ShowBalloon(const std::string& text, const std::string& title, UINT timeoutMs,
                     DWORD iconFlags = NIIF_INFO);
    void Destroy();
    // The wave resource IDW_END_SOUND, played from memory without waiting; silent when it is missing.
    static void PlayEndSound();

    UINT IconId() const { return data_.uID; }
    UINT MenuId() const { return menuId_; }
    bool Shown() const { return shown_; }
    // What the tests inspect: the record as last sent, and its balloon texts in UTF-8.
    const NOTIFYICONDATAW& Record() const { return data_; }
    std::string BalloonText() const;
    std::string BalloonTitle() const;

protected:
    // Asked on a right-button release or a left double-click; return the menu to show (its first
    // submenu is tracked) or none. The icon destroys the menu after use.
    virtual HMENU PrepareMenu(HMENU menu) { return menu; }
    // Called after the menu has been tracked and destroyed.
    virtual void MenuDone() {}

private:
    class NotificationHook : public CSubclassWnd {
    public:
        explicit NotificationHook(CTrayIcon& icon) : icon_(icon) {}

    protected:
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    private:
        CTrayIcon& icon_;
    };

    void OnCallback(LPARAM event);
    bool AddOrModify();

    NOTIFYICONDATAW data_{};
    UINT menuId_ = 0;
    UINT taskbarCreated_ = 0;
    bool shown_ = false;
    NotificationHook hook_{*this};
};
