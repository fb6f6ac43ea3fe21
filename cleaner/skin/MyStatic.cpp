#include "skin/MyStatic.h"

#include "platform/GdiHandles.h"
#include "skin/SkinPalette.h"
#include "skin/SkinResources.h"
#include "skin/WindowText.h"

bool CMyStatic::AttachItem(HWND dialog, int id) { return Attach(::GetDlgItem(dialog, id)); }

void CMyStatic::SetTextColor(COLORREF colour) {
    colour_ = colour;
    Repaint(true);
}

void CMyStatic::PaintClient(HDC dc) {
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    ::FillRect(dc, &client, SkinResources::Get().LightBrush());
    const std::string text = window_text::Get(Hwnd());
    const LONG_PTR style = ::GetWindowLongPtrW(Hwnd(), GWL_STYLE);
    UINT format = DT_WORDBREAK | DT_NOPREFIX;
    if ((style & SS_TYPEMASK) == SS_CENTER) format |= DT_CENTER;
    else if ((style & SS_TYPEMASK) == SS_RIGHT) format |= DT_RIGHT;
    const SelectedObject selectedFont(dc, font_ ? font_ : SkinResources::Get().Font(SkinFont::Normal));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour_);
    window_text::Draw(dc, text, client, format);
}

LRESULT CMyStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        [[fallthrough]];
    case WM_SETTEXT:
        return DefaultThenRepaint(message, wParam, lParam);
    default:
        return CPaintedWnd::WindowProc(message, wParam, lParam);
    }
}
