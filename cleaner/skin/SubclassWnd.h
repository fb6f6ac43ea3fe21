#pragma once
// CSubclassWnd: the one hook class through which skinned controls (and anything else) take over a
// window's messages. Each hook records its window, the procedure it replaced and the next hook;
// a message goes to the newest hook first, each hook passes it on with Default(), and the last one
// hands it to the replaced procedure. Hooks leave the chain on Detach, on destruction and when the
// window is destroyed (after they have seen WM_NCDESTROY). Nothing thrown by a hook crosses the
// window procedure.
#include <windows.h>

class CSubclassWnd {
public:
    CSubclassWnd() = default;
    virtual ~CSubclassWnd();
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;

    // Hooks the window; false when it is not a window or this hook is already attached.
    [[nodiscard]] bool Attach(HWND window);
    void Detach();
    HWND Hwnd() const { return hwnd_; }
    bool IsAttached() const { return hwnd_ != nullptr; }

protected:
    // Override to handle messages; call Default for those you pass on.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
        return Default(message, wParam, lParam);
    }
    // The next hook, or the replaced procedure.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
    // Called after Attach succeeded, before any message arrives through the hook.
    virtual void OnAttached() {}

private:
    struct Chain;
    friend struct Chain;
    static LRESULT CALLBACK HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    Chain* chain_ = nullptr;
    CSubclassWnd* next_ = nullptr;
};
