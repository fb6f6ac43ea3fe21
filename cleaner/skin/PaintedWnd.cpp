#include "skin/PaintedWnd.h"

#include "platform/GdiHandles.h"

LRESULT CPaintedWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        const PaintDc paint(Hwnd());
        if (paint.Get()) PaintClient(paint.Get());
        return 0;
    }
    case WM_PRINTCLIENT:
        PaintClient(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1;
    default:
        return Default(message, wParam, lParam);
    }
}

void CPaintedWnd::Repaint(bool erase) {
    if (Hwnd()) ::InvalidateRect(Hwnd(), nullptr, erase ? TRUE : FALSE);
}

LRESULT CPaintedWnd::DefaultThenRepaint(UINT message, WPARAM wParam, LPARAM lParam, bool erase) {
    const LRESULT result = Default(message, wParam, lParam);
    Repaint(erase);
    return result;
}
