#pragma once
// The cleaner's thin window framework, shared by every dialog of the program (main window,
// options and its pages, About, editors): CDialog owns one dialog HWND, routes its messages to
// virtual handlers and falls back to the dialog manager's default processing for everything a
// handler leaves alone. Nothing thrown by a handler crosses the dialog procedure: the boundary
// catches it and the message counts as unhandled.
//
// Owner-drawn controls (the result list, ...) register an OwnerDrawItem on their window; the
// dialog hands WM_DRAWITEM and WM_MEASUREITEM of such a control to it, so a control draws itself
// whichever dialog it sits on. Menu items (ODT_MENU) go to OnDrawItem/OnMeasureItem.
#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

// Implemented by controls that draw their own items; found through a window property.
class OwnerDrawItem {
public:
    virtual ~OwnerDrawItem() = default;
    virtual void DrawItem(const DRAWITEMSTRUCT& item) = 0;
    virtual void MeasureItem(MEASUREITEMSTRUCT& item) { (void)item; }

    static void Register(HWND control, OwnerDrawItem* handler);
    static void Unregister(HWND control);
    static OwnerDrawItem* From(HWND control);
};

class CDialog {
public:
    explicit CDialog(UINT templateId = 0) : templateId_(templateId) {}
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Modal from the template resource; returns the value given to End, or -1 when the dialog
    // could not be created.
    INT_PTR DoModal(HWND parent);
    // Modeless from the template resource; false when it could not be created.
    [[nodiscard]] bool Create(HWND parent);
    // The same from a template in memory (see BlankTemplate).
    INT_PTR DoModalIndirect(HWND parent, const DLGTEMPLATE* dialogTemplate);
    [[nodiscard]] bool CreateIndirect(HWND parent, const DLGTEMPLATE* dialogTemplate);

    // A template in memory for a dialog without controls (children are created in
    // OnInitDialog): a popup of the given size in dialog units with a title and the "MS Shell
    // Dlg" 8-point font. Keep the vector alive while the dialog is created.
    static std::vector<WORD> BlankTemplate(const char* title, short cx, short cy,
                                           DWORD style = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | DS_SETFONT,
                                           DWORD exStyle = 0);

    // Modal: EndDialog; modeless: DestroyWindow.
    void End(INT_PTR result);

    HWND Hwnd() const { return hwnd_; }
    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    // Shows or hides, enables or disables each listed item (a list in braces or an array of ids).
    void ShowItems(std::initializer_list<int> ids, bool show) const { ShowItems(ids.begin(), ids.size(), show); }
    void EnableItems(std::initializer_list<int> ids, bool enable) const { EnableItems(ids.begin(), ids.size(), enable); }
    template <size_t N>
    void ShowItems(const int (&ids)[N], bool show) const { ShowItems(ids, N, show); }
    template <size_t N>
    void EnableItems(const int (&ids)[N], bool enable) const { EnableItems(ids, N, enable); }
    void ShowItems(const int* ids, size_t count, bool show) const;
    void EnableItems(const int* ids, size_t count, bool enable) const;
    bool IsModal() const { return modal_; }
    UINT TemplateId() const { return templateId_; }

    // The module whose resources (templates, bitmaps, icons) the skin loads; by default the
    // executable.
    static HINSTANCE ResourceModule();
    static void SetResourceModule(HINSTANCE module);

protected:
    // WM_INITDIALOG; return TRUE to let the dialog manager set the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    // WM_COMMAND other than IDOK and IDCANCEL; true when handled.
    virtual bool OnCommand(WORD id, WORD code, HWND control) { (void)id; (void)code; (void)control; return false; }
    virtual void OnOK() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    virtual void OnTimer(UINT_PTR id) { (void)id; }
    // WM_PAINT; true when the handler painted (BeginPaint/EndPaint are the handler's).
    virtual bool OnPaint() { return false; }
    // WM_ERASEBKGND; true when the background was erased.
    virtual bool OnEraseBackground(HDC dc) { (void)dc; return false; }
    // Mouse buttons and moves over the dialog itself; point in client coordinates; true when
    // handled.
    virtual bool OnMouse(UINT message, WPARAM keys, POINT point) { (void)message; (void)keys; (void)point; return false; }
    virtual void OnActivate(bool active) { (void)active; }
    virtual void OnSize(int width, int height) { (void)width; (void)height; }
    // WM_CTLCOLOR...; a brush to use, or nullptr for the default.
    virtual HBRUSH OnCtlColor(UINT message, HDC dc, HWND control) { (void)message; (void)dc; (void)control; return nullptr; }
    // Owner-drawn items nobody registered for (menus, plain owner-draw buttons).
    virtual bool OnDrawItem(const DRAWITEMSTRUCT& item) { (void)item; return false; }
    virtual bool OnMeasureItem(MEASUREITEMSTRUCT& item) { (void)item; return false; }
    // WM_HELP (F1); true when handled.
    virtual bool OnHelp() { return false; }
    // WM_DESTROY; the window still exists.
    virtual void OnDestroy() {}
    // Every other message: set handled and return the message's result.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
        (void)message; (void)wParam; (void)lParam; handled = false; return 0;
    }

    // The result of a handled message for the dialog manager (DWLP_MSGRESULT).
    void SetMessageResult(LRESULT result) { ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR DispatchMouse(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
};
