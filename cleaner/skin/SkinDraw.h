#pragma once
#include <windows.h>

// Small drawing helpers shared by the skin.
namespace skin_draw {
// Horizontal (left to right) or vertical (top to bottom) two-colour gradient.
void Gradient(HDC dc, const RECT& rect, COLORREF from, COLORREF to, bool vertical);
void Fill(HDC dc, const RECT& rect, COLORREF colour);
// Outline only (hollow brush) with this pen; corner 0 for a plain rectangle.
void Outline(HDC dc, const RECT& rect, HPEN pen, int corner);
void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF colour, int width = 1);
// Text with a transparent background.
void Text(HDC dc, int x, int y, const char* text, int length, COLORREF colour, HFONT font);
// Draws `bitmap` pixel by pixel, leaving out the colour of its top-left pixel, optionally with a
// shadow pixel 2 px right and down under each drawn one (the lifted look of hovered icons).
void TransparentPixels(HDC dc, HBITMAP bitmap, int x, int y, int width, int height, bool shadow,
                       COLORREF shadowColour);
}  // namespace skin_draw
