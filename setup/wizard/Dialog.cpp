#include "wizard/Dialog.h"

namespace setup {

CDialog::~CDialog() {
    if (window_ && !modal_ && ::IsWindow(window_)) {
        ::SetWindowLongPtrW(window_, DWLP_USER, 0);
        ::DestroyWindow(window_);
    }
}

bool CDialog::CreateChild(HWND parent, int templateId) {
    modal_ = false;
    return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent, Procedure,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR CDialog::DoModal(HWND owner, int templateId) {
    modal_ = true;
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, Procedure,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->window_ = window;
    }
    auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!self) return FALSE;
    try {
        return self->Route(message, wParam, lParam);
    } catch (...) {
        return FALSE;
    }
}

INT_PTR CDialog::Route(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) return OnInitDialog();
    if (message == WM_COMMAND && OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) {
        ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    bool handled = false;
    const INT_PTR result = OnMessage(message, wParam, lParam, handled);
    if (!handled) return FALSE;
    if (message == WM_CTLCOLORDLG || message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN) return result;
    ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
    return TRUE;
}

}  // namespace setup
