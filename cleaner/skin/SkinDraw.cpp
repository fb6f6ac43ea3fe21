#include "skin/SkinDraw.h"

#include "platform/GdiHandles.h"
#include "platform/Text.h"

namespace skin_draw {

void Gradient(HDC dc, const RECT& rect, COLORREF from, COLORREF to, bool vertical) {
    TRIVERTEX v[2] = {};
    v[0].x = rect.left;
    v[0].y = rect.top;
    v[0].Red = static_cast<COLOR16>(GetRValue(from) << 8);
    v[0].Green = static_cast<COLOR16>(GetGValue(from) << 8);
    v[0].Blue = static_cast<COLOR16>(GetBValue(from) << 8);
    v[1].x = rect.right;
    v[1].y = rect.bottom;
    v[1].Red = static_cast<COLOR16>(GetRValue(to) << 8);
    v[1].Green = static_cast<COLOR16>(GetGValue(to) << 8);
    v[1].Blue = static_cast<COLOR16>(GetBValue(to) << 8);
    GRADIENT_RECT r{0, 1};
    ::GradientFill(dc, v, 2, &r, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    const COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

void Outline(HDC dc, const RECT& rect, HPEN pen, int corner) {
    const SelectedObject selectedPen(dc, pen);
    const SelectedObject selectedBrush(dc, ::GetStockObject(HOLLOW_BRUSH));
    if (corner > 0)
        ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner, corner);
    else
        ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour, int width) {
    const GdiPen pen(::CreatePen(PS_SOLID, width, colour));
    const SelectedObject selected(dc, pen.Get());
    ::MoveToEx(dc, x1, y1, nullptr);
    ::LineTo(dc, x2, y2);
}

void Text(HDC dc, int x, int y, const char* text, int length, COLORREF colour, HFONT font) {
    const SelectedObject selected(dc, font);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = ::SetTextColor(dc, colour);
    // The program's texts are UTF-8: drawn through the wide call, whatever the ANSI code page.
    std::wstring wide;
    if (text && length > 0 && WideFromUtf8(std::string_view(text, static_cast<size_t>(length)), wide))
        ::TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
    ::SetTextColor(dc, oldColour);
    ::SetBkMode(dc, oldMode);
}

void TransparentPixels(HDC dc, HBITMAP bitmap, int x, int y, int width, int height, bool shadow, COLORREF shadowColour) {
    const MemoryDc source(dc);
    if (!source) return;
    const SelectedObject selected(source.Get(), bitmap);
    HDC memory = source.Get();
    const COLORREF key = ::GetPixel(memory, 0, 0);
    if (shadow) {
        for (int j = 0; j < height; ++j)
            for (int i = 0; i < width; ++i)
                if (::GetPixel(memory, i, j) != key) ::SetPixel(dc, x + i + 2, y + j + 2, shadowColour);
    }
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i) {
            const COLORREF c = ::GetPixel(memory, i, j);
            if (c != key) ::SetPixel(dc, x + i, y + j, c);
        }
}

}  // namespace skin_draw
