#include "skin/SubclassWnd.h"

namespace {
constexpr wchar_t kChainProp[] = L"TlSubclassChain";
}

// One per hooked window: the procedure the first hook replaced and the newest hook.
struct CSubclassWnd::Chain {
    WNDPROC original = nullptr;
    CSubclassWnd* head = nullptr;

    static Chain* Of(HWND hwnd) { return reinterpret_cast<Chain*>(::GetPropW(hwnd, kChainProp)); }
};

CSubclassWnd::~CSubclassWnd() { Detach(); }

bool CSubclassWnd::Attach(HWND window) {
    if (hwnd_ || !::IsWindow(window)) return false;
    Chain* chain = Chain::Of(window);
    if (!chain) {
        chain = new Chain;
        chain->original = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
        if (!::SetPropW(window, kChainProp, reinterpret_cast<HANDLE>(chain))) {
            delete chain;
            return false;
        }
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookProc));
    }
    hwnd_ = window;
    chain_ = chain;
    next_ = chain->head;
    chain->head = this;
    OnAttached();
    return true;
}

void CSubclassWnd::Detach() {
    if (!hwnd_) return;
    Chain* chain = chain_;
    for (CSubclassWnd** link = &chain->head; *link; link = &(*link)->next_) {
        if (*link == this) {
            *link = next_;
            break;
        }
    }
    if (!chain->head) {
        // The last hook is gone: give the window its own procedure back, unless someone hooked
        // it after us without this chain (then keep ours in place, passing straight through).
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd_, GWLP_WNDPROC)) == &HookProc) {
            ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain->original));
            ::RemovePropW(hwnd_, kChainProp);
            delete chain;
        }
    }
    hwnd_ = nullptr;
    chain_ = nullptr;
    next_ = nullptr;
}

LRESULT CSubclassWnd::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    if (next_) return next_->WindowProc(message, wParam, lParam);
    if (!chain_) return 0;
    return ::CallWindowProcW(chain_->original, hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK CSubclassWnd::HookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Chain* chain = Chain::Of(hwnd);
    if (!chain) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    const WNDPROC original = chain->original;
    LRESULT result = 0;
    try {
        result = chain->head ? chain->head->WindowProc(message, wParam, lParam)
                             : ::CallWindowProcW(original, hwnd, message, wParam, lParam);
    } catch (...) {
        result = 0;  // nothing crosses the window procedure
    }
    if (message == WM_NCDESTROY) {
        // The window is gone: every hook lets go (the chain goes with the last one).
        chain = Chain::Of(hwnd);
        while (chain && chain->head) {
            CSubclassWnd* hook = chain->head;
            hook->Detach();
            chain = Chain::Of(hwnd);
        }
        if (chain) {  // hooked by someone else after us: forget the chain anyway
            ::RemovePropW(hwnd, kChainProp);
            delete chain;
        }
    }
    return result;
}
