#include "skin/MyProgressCtrl.h"

#include "platform/GdiHandles.h"
#include "skin/SkinDraw.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinPalette.h"
#include "skin/SkinResources.h"

#include <commctrl.h>

bool CMyProgressCtrl::AttachItem(HWND dialog, int id) { return Attach(::GetDlgItem(dialog, id)); }
bool CMyProgressCtrl::AttachWindow(HWND control) { return Attach(control); }

void CMyProgressCtrl::OnAttached() {
    // The border lives in the non-client area: give the bar a 1-pixel frame to paint into.
    LONG_PTR style = ::GetWindowLongPtrA(Hwnd(), GWL_STYLE);
    LONG_PTR exStyle = ::GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE);
    ::SetWindowLongPtrA(Hwnd(), GWL_STYLE, style | WS_BORDER);
    ::SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CMyProgressCtrl::SetRange(int lower, int upper) { ::SendMessageA(Hwnd(), PBM_SETRANGE32, lower, upper); }
void CMyProgressCtrl::SetPos(int position) { ::SendMessageA(Hwnd(), PBM_SETPOS, position, 0); }
void CMyProgressCtrl::SetStep(int step) { ::SendMessageA(Hwnd(), PBM_SETSTEP, step, 0); }
void CMyProgressCtrl::StepIt() { ::SendMessageA(Hwnd(), PBM_STEPIT, 0, 0); }
int CMyProgressCtrl::Pos() const { return static_cast<int>(::SendMessageA(Hwnd(), PBM_GETPOS, 0, 0)); }

void CMyProgressCtrl::PaintClient(HDC dc) {
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    PBRANGE range{};
    ::SendMessageA(Hwnd(), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    const int filled = skin_geometry::ProgressFill(client.right, range.iLow, range.iHigh, Pos());
    RECT done{0, 0, filled, client.bottom};
    RECT rest{filled, 0, client.right, client.bottom};
    if (filled > 0) {
        // The gradient spans the whole bar, so the colour at a point does not change as it fills.
        const int saved = ::SaveDC(dc);
        ::IntersectClipRect(dc, done.left, done.top, done.right, done.bottom);
        skin_draw::Gradient(dc, client, palette::kProgressLeft, palette::kProgressRight, false);
        ::RestoreDC(dc, saved);
    }
    if (rest.right > rest.left) skin_draw::Fill(dc, rest, palette::kList);
}

void CMyProgressCtrl::PaintBorder() {
    const WindowDc dc(Hwnd(), WindowDc::Area::Whole);
    if (!dc) return;
    RECT window{};
    ::GetWindowRect(Hwnd(), &window);
    RECT frame{0, 0, window.right - window.left, window.bottom - window.top};
    skin_draw::Outline(dc.Get(), frame, SkinResources::Get().FramePen(), 0);
}

LRESULT CMyProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCPAINT:
        PaintBorder();
        return 0;
    case PBM_SETPOS:
    case PBM_DELTAPOS:
    case PBM_STEPIT:
    case PBM_SETRANGE:
    case PBM_SETRANGE32:
        return DefaultThenRepaint(message, wParam, lParam);
    default:
        return CPaintedWnd::WindowProc(message, wParam, lParam);
    }
}
