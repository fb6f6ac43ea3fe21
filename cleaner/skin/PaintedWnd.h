#pragma once
// CPaintedWnd: a hooked control that paints its whole client area itself. WM_PAINT and
// WM_PRINTCLIENT both go to PaintClient, the background is never erased on its own (so nothing
// flickers), and the messages that change what the control shows repaint it.
#include "skin/SubclassWnd.h"

class CPaintedWnd : public CSubclassWnd {
protected:
    // Paints every pixel of the client area into dc.
    virtual void PaintClient(HDC dc) = 0;
    // Derived WindowProcs pass what they do not handle here.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Invalidates the client area (erasing it first only when asked).
    void Repaint(bool erase = false);
    // Passes the message on, then repaints.
    LRESULT DefaultThenRepaint(UINT message, WPARAM wParam, LPARAM lParam, bool erase = false);
};
