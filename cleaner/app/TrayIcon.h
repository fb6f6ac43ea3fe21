#pragma once
#include <windows.h>
#include <shellapi.h>

#include <string>

// The cleaner's icon in the notification area. It keeps one notification record of the shell
// (the form with balloon fields), intercepts the messages of its notification window (to see its
// callback and "TaskbarCreated" before the window does), and is used on the window thread only.
class CTrayIcon {
public:
    CTrayIcon() = default;
    virtual ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    void Create(UINT iconId, UINT menuId);
    void SetNotificationWindow(HWND window, UINT callbackMessage);
    // Loads tooltip string and icon of this id and adds or modifies the icon; 0 deletes it.
    bool SetIcon(UINT resourceId);
    // Text cut to 255, title to 63 characters; an empty text withdraws a balloon on show.
    bool ShowBalloon(const std::string& text, const std::string& title, UINT timeoutMs,
                     DWORD iconFlags = NIIF_INFO);
    void Destroy();
    // The wave resource IDW_END_SOUND, played from memory without waiting; silent when it is missing.
    static void PlayEndSound();

    UINT IconId() const { return data_.uID; }
    UINT MenuId() const { return menuId_; }
    bool Shown() const { return shown_; }
    // What the tests inspect: the record as last sent.
    const NOTIFYICONDATAA& Record() const { return data_; }

protected:
    // Asked on a right-button release or a left double-click; return the menu to show (its first
    // submenu is tracked) or none. The icon destroys the menu after use.
    virtual HMENU PrepareMenu(HMENU menu) { return menu; }
    // Called after the menu has been tracked and destroyed.
    virtual void MenuDone() {}

private:
    static LRESULT CALLBACK SubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    void OnCallback(LPARAM event);
    bool AddOrModify();

    NOTIFYICONDATAA data_{};
    UINT menuId_ = 0;
    UINT taskbarCreated_ = 0;
    bool shown_ = false;
    bool subclassed_ = false;
};
