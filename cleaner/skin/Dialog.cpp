#include "skin/Dialog.h"

#include "platform/Text.h"

#include <windowsx.h>

namespace {
constexpr wchar_t kOwnerDrawProp[] = L"TlOwnerDraw";
HINSTANCE g_resourceModule = nullptr;

bool IsMouseMessage(UINT message) {
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return true;
    default:
        return false;
    }
}

// Template strings are UTF-16; the title comes in the program's UTF-8.
void AppendString(std::vector<WORD>& out, const char* text) {
    for (wchar_t c : WideFromUtf8(text ? text : "")) out.push_back(static_cast<WORD>(c));
    out.push_back(0);
}
}  // namespace

void OwnerDrawItem::Register(HWND control, OwnerDrawItem* handler) {
    ::SetPropW(control, kOwnerDrawProp, reinterpret_cast<HANDLE>(handler));
}

void OwnerDrawItem::Unregister(HWND control) { ::RemovePropW(control, kOwnerDrawProp); }

OwnerDrawItem* OwnerDrawItem::From(HWND control) {
    return control ? reinterpret_cast<OwnerDrawItem*>(::GetPropW(control, kOwnerDrawProp)) : nullptr;
}

CDialog::~CDialog() {
    // A modeless window still open: close it before the object it calls goes away.
    if (hwnd_ && !modal_) ::DestroyWindow(hwnd_);
    if (hwnd_) ::SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
}

HINSTANCE CDialog::ResourceModule() {
    return g_resourceModule ? g_resourceModule : ::GetModuleHandleW(nullptr);
}

void CDialog::SetResourceModule(HINSTANCE module) { g_resourceModule = module; }

INT_PTR CDialog::DoModal(HWND parent) {
    modal_ = true;
    return ::DialogBoxParamW(ResourceModule(), MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(HWND parent) {
    modal_ = false;
    return ::CreateDialogParamW(ResourceModule(), MAKEINTRESOURCEW(templateId_), parent, DialogProc,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR CDialog::DoModalIndirect(HWND parent, const DLGTEMPLATE* dialogTemplate) {
    modal_ = true;
    return ::DialogBoxIndirectParamW(ResourceModule(), dialogTemplate, parent, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
}

bool CDialog::CreateIndirect(HWND parent, const DLGTEMPLATE* dialogTemplate) {
    modal_ = false;
    return ::CreateDialogIndirectParamW(ResourceModule(), dialogTemplate, parent, DialogProc,
                                        reinterpret_cast<LPARAM>(this)) != nullptr;
}

std::vector<WORD> CDialog::BlankTemplate(const char* title, short cx, short cy, DWORD style, DWORD exStyle) {
    std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* head = reinterpret_cast<DLGTEMPLATE*>(t.data());
    head->style = style | DS_SETFONT;
    head->dwExtendedStyle = exStyle;
    head->cdit = 0;
    head->x = 0;
    head->y = 0;
    head->cx = cx;
    head->cy = cy;
    t.push_back(0);  // no menu
    t.push_back(0);  // default class
    AppendString(t, title);
    t.push_back(8);  // point size
    AppendString(t, "MS Shell Dlg");
    return t;
}

void CDialog::End(INT_PTR result) {
    if (!hwnd_) return;
    if (modal_)
        ::EndDialog(hwnd_, result);
    else
        ::DestroyWindow(hwnd_);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        if (self) self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;
    INT_PTR result = FALSE;
    try {
        result = self->Dispatch(message, wParam, lParam);
    } catch (...) {
        // Nothing crosses the dialog procedure; the message counts as unhandled.
        result = FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

INT_PTR CDialog::DispatchMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return OnMouse(message, wParam, point) ? TRUE : FALSE;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsMouseMessage(message)) return DispatchMouse(message, wParam, lParam);
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        const WORD id = LOWORD(wParam);
        const WORD code = HIWORD(wParam);
        const HWND control = reinterpret_cast<HWND>(lParam);
        if (OnCommand(id, code, control)) return TRUE;
        if (id == IDOK && (code == BN_CLICKED || !control)) { OnOK(); return TRUE; }
        if (id == IDCANCEL && (code == BN_CLICKED || !control)) { OnCancel(); return TRUE; }
        return FALSE;
    }
    case WM_TIMER:
        OnTimer(wParam);
        return TRUE;
    case WM_PAINT:
        return OnPaint() ? TRUE : FALSE;
    case WM_ERASEBKGND:
        if (!OnEraseBackground(reinterpret_cast<HDC>(wParam))) return FALSE;
        SetMessageResult(1);
        return TRUE;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wParam) != WA_INACTIVE);
        return FALSE;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return FALSE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        // The brush is the message's own result here, not DWLP_MSGRESULT.
        return reinterpret_cast<INT_PTR>(OnCtlColor(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlType != ODT_MENU) {
            if (OwnerDrawItem* handler = OwnerDrawItem::From(item.hwndItem)) {
                handler->DrawItem(item);
                return TRUE;
            }
        }
        return OnDrawItem(item) ? TRUE : FALSE;
    }
    case WM_MEASUREITEM: {
        auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item.CtlType != ODT_MENU) {
            if (OwnerDrawItem* handler = OwnerDrawItem::From(Item(static_cast<int>(item.CtlID)))) {
                handler->MeasureItem(item);
                return TRUE;
            }
        }
        return OnMeasureItem(item) ? TRUE : FALSE;
    }
    case WM_HELP:
        return OnHelp() ? TRUE : FALSE;
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    default: {
        bool handled = false;
        const LRESULT result = OnMessage(message, wParam, lParam, handled);
        if (!handled) return FALSE;
        SetMessageResult(result);
        return TRUE;
    }
    }
}

void CDialog::ShowItems(const int* ids, size_t count, bool show) const {
    for (size_t i = 0; i < count; ++i) ::ShowWindow(Item(ids[i]), show ? SW_SHOW : SW_HIDE);
}

void CDialog::EnableItems(const int* ids, size_t count, bool enable) const {
    for (size_t i = 0; i < count; ++i) ::EnableWindow(Item(ids[i]), enable ? TRUE : FALSE);
}
