#include "dialogs/TargetTab.h"

#include "platform/GdiHandles.h"
#include "skin/SkinPalette.h"
#include "skin/WindowText.h"

namespace {
constexpr COLORREF kCurrentFill = RGB(0, 60, 116);
constexpr COLORREF kNormalFill = RGB(225, 225, 245);
}  // namespace

void CTargetTab::SetCurrent(bool current) {
    if (current_ == current) return;
    current_ = current;
    if (Hwnd()) ::InvalidateRect(Hwnd(), nullptr, FALSE);
}

void CTargetTab::Paint(HDC dc, const RECT& client) {
    const GdiBrush fill(::CreateSolidBrush(current_ ? kCurrentFill : kNormalFill));
    const GdiPen outline(::CreatePen(PS_SOLID, Hovered() && !current_ ? 2 : 1,
                                     Hovered() && !current_ ? palette::kButtonHoverRing : palette::kButtonOutline));
    const SelectedObject brush(dc, fill.Get());
    const SelectedObject pen(dc, outline.Get());
    ::RoundRect(dc, client.left, client.top, client.right, client.bottom, 10, 10);
    const std::string text = Text();
    RECT textRect = client;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, current_ ? palette::kTabTextCurrent : palette::kButtonText);
    window_text::Draw(dc, text, textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}
