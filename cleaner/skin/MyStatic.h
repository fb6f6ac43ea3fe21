#pragma once
// A static text whose colour the program sets; it paints itself on the light body colour with the
// skin's normal font (or the font set with WM_SETFONT), honouring SS_CENTER and SS_RIGHT.
#include "skin/PaintedWnd.h"

class CMyStatic : public CPaintedWnd {
public:
    [[nodiscard]] bool AttachItem(HWND dialog, int id);
    void SetTextColor(COLORREF colour);
    COLORREF TextColor() const { return colour_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void PaintClient(HDC dc) override;

private:
    COLORREF colour_ = RGB(30, 30, 30);
    HFONT font_ = nullptr;
};
