#include "skin/SkinResources.h"

#include "platform/GdiHandles.h"
#include "res/ResourceIds.h"
#include "skin/Dialog.h"
#include "skin/SkinPalette.h"

#include <memory>

namespace {
const SkinResources* g_installed = nullptr;

GdiFont MakeFont(int height, bool bold) {
    return GdiFont(::CreateFontA(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                   DEFAULT_PITCH | FF_SWISS, "Arial"));
}
}  // namespace

SkinResources::SkinResources(HINSTANCE module) {
    if (!module) module = CDialog::ResourceModule();
    light_.Reset(::CreateSolidBrush(palette::kLight));
    list_.Reset(::CreateSolidBrush(palette::kList));
    borderPen_.Reset(::CreatePen(PS_SOLID, 3, palette::kBorder));
    innerPen_.Reset(::CreatePen(PS_SOLID, 1, palette::kInnerPanel));
    framePen_.Reset(::CreatePen(PS_SOLID, 1, palette::kControlFrame));
    const struct { int height; bool bold; } fonts[] = {{14, false}, {16, true}, {18, true}, {16, true}, {15, true}, {14, true}};
    for (int i = 0; i < static_cast<int>(SkinFont::Count); ++i) fonts_[i] = MakeFont(fonts[i].height, fonts[i].bold);
    // A missing bitmap leaves its strip empty; drawing an empty strip draws nothing.
    (void)titleActive_.LoadResource(module, IDB_TITLE_ACTIVE);
    (void)titleInactive_.LoadResource(module, IDB_TITLE_INACTIVE);
    (void)close_.LoadResource(module, IDB_CLOSE_BUTTON, 21);
    (void)emblem_.LoadResource(module, IDB_EMBLEM, 64);
    (void)checkBoxes_.LoadResource(module, IDB_CHECK_BOXES, 13);
    (void)tabs_.LoadResource(module, IDB_TAB_BUTTONS, 107);
    (void)pages_.LoadResource(module, IDB_PAGE_IMAGES, 64);
}

SkinResources::~SkinResources() {
    if (g_installed == this) g_installed = nullptr;
}

void SkinResources::Install() { g_installed = this; }

const SkinResources& SkinResources::Get() {
    if (g_installed) return *g_installed;
    static std::unique_ptr<SkinResources> fallback;
    if (!fallback) fallback = std::make_unique<SkinResources>();
    return *fallback;
}

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
    ::TextOutA(dc, x, y, text, length);
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
