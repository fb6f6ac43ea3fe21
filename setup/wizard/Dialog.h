#pragma once
// The wizard's thin window framework: a dialog object owns its HWND, the dialog procedure routes
// messages to virtual handlers, and nothing thrown crosses the procedure.
#include <windows.h>

namespace setup {

class CDialog {
public:
    CDialog() = default;
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    HWND Handle() const { return window_; }
    HWND Item(int id) const { return ::GetDlgItem(window_, id); }
    void ShowItem(int id, bool shown) const { ::ShowWindow(Item(id), shown ? SW_SHOW : SW_HIDE); }
    void EnableItem(int id, bool enabled) const { ::EnableWindow(Item(id), enabled); }
    void SetItemText(int id, const wchar_t* text) const { ::SetDlgItemTextW(window_, id, text); }

    // A modeless child (pages, the header band) or a modal dialog; the template is a resource.
    bool CreateChild(HWND parent, int templateId);
    INT_PTR DoModal(HWND owner, int templateId);

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // True when the command was handled.
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    // Everything else; set `handled` to answer instead of the dialog manager.
    virtual INT_PTR OnMessage(UINT /*message*/, WPARAM, LPARAM, bool& handled) {
        handled = false;
        return 0;
    }

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    bool modal_ = false;
};

}  // namespace setup
