#include "skin/MyButton.h"

#include "platform/GdiHandles.h"
#include "platform/Text.h"
#include "skin/Dialog.h"
#include "skin/SkinDraw.h"
#include "skin/SkinPalette.h"
#include "skin/SkinResources.h"
#include "skin/WindowText.h"

#include <windowsx.h>

#include <algorithm>

namespace {
void CenteredText(HDC dc, const RECT& rect, const std::string& text, COLORREF colour, HFONT font) {
    const SelectedObject selected(dc, font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, colour);
    RECT r = rect;
    window_text::Draw(dc, text, r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}
}  // namespace

// CMyButton --------------------------------------------------------------------------------------

bool CMyButton::AttachItem(HWND dialog, int id) { return Attach(::GetDlgItem(dialog, id)); }

bool CMyButton::Create(HWND parent, const char* text, const RECT& rect, UINT id, DWORD style) {
    HWND button = ::CreateWindowExW(0, L"Button", WideFromUtf8(text ? text : "").c_str(), style | BS_OWNERDRAW, rect.left, rect.top,
                                    rect.right - rect.left, rect.bottom - rect.top, parent,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    if (!button) return false;
    ::SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(SkinResources::Get().Font(SkinFont::Bold16)), FALSE);
    if (Attach(button)) return true;
    ::DestroyWindow(button);
    return false;
}

void CMyButton::OnAttached() {
    // The owner-draw style keeps the system from drawing anything of its own; the type bits are
    // replaced (a default push button would otherwise stay BS_DEFPUSHBUTTON).
    LONG_PTR style = ::GetWindowLongPtrW(Hwnd(), GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW;
    ::SetWindowLongPtrW(Hwnd(), GWL_STYLE, style);
    Repaint(true);
}

bool CMyButton::Pressed() const { return (::SendMessageA(Hwnd(), BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; }
bool CMyButton::Focused() const { return ::GetFocus() == Hwnd(); }
bool CMyButton::Enabled() const { return ::IsWindowEnabled(Hwnd()) != FALSE; }

std::string CMyButton::Text() const { return window_text::Get(Hwnd()); }

HFONT CMyButton::TextFont() const { return SkinResources::Get().Font(SkinFont::Bold16); }

void CMyButton::PaintClient(HDC target) {
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    // Drawn into a buffer first so that the button does not flicker; straight onto the target when
    // no buffer can be made.
    const MemoryDc buffer(target);
    const GdiBitmap canvas(::CreateCompatibleBitmap(target, client.right, client.bottom));
    const bool buffered = buffer && canvas;
    const SelectedObject selectedCanvas(buffered ? buffer.Get() : nullptr, canvas.Get());
    HDC dc = buffered ? buffer.Get() : target;
    ::FillRect(dc, &client, SkinResources::Get().LightBrush());
    const SelectedObject selectedFont(dc, TextFont());
    Paint(dc, client);
    if (dc != target) ::BitBlt(target, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

LRESULT CMyButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        if (!hover_) {
            TRACKMOUSEEVENT track{sizeof(track), TME_HOVER | TME_LEAVE, Hwnd(), 1};
            if (::TrackMouseEvent(&track)) hover_ = true;
        }
        break;
    case WM_MOUSEHOVER:
        Repaint();
        break;
    case WM_MOUSELEAVE:
        hover_ = false;
        Repaint();
        break;
    case WM_SETCURSOR:
        // The hand cursor for skinned buttons only; changing the class cursor would give every
        // button of the process the hand.
        if (LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
            return TRUE;
        }
        break;
    case BM_SETSTATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_CAPTURECHANGED:
        return DefaultThenRepaint(message, wParam, lParam);
    default:
        break;
    }
    return CPaintedWnd::WindowProc(message, wParam, lParam);
}

// CMyStdButton -----------------------------------------------------------------------------------

int CMyStdButton::FrameIndex() const {
    if (Pressed()) return 2;
    return Hovered() ? 1 : 0;
}

void CMyStdButton::Paint(HDC dc, const RECT& client) {
    const bool pressed = Pressed();
    const bool enabled = Enabled();
    if (strip_ && strip_->IsLoaded()) {
        strip_->Draw(dc, FrameIndex(), 0, 0);
    } else {
        const auto& skin = SkinResources::Get();
        RECT body = client;
        ::InflateRect(&body, -1, -1);
        skin_draw::Gradient(dc, body, pressed ? palette::kButtonPressedTop : palette::kButtonTop,
                            pressed ? palette::kButtonPressedBottom : palette::kButtonBottom, true);
        if (!pressed && enabled && (Hovered() || Focused())) {
            RECT ring = client;
            ::InflateRect(&ring, -1, -1);
            const GdiPen pen(::CreatePen(PS_INSIDEFRAME, 2, Hovered() ? palette::kButtonHoverRing : palette::kButtonFocusRing));
            skin_draw::Outline(dc, ring, pen.Get(), 1);
        }
        const GdiPen outline(::CreatePen(PS_SOLID, 1, enabled ? palette::kButtonOutline : palette::kButtonOutlineDisabled));
        skin_draw::Outline(dc, client, outline.Get(), 6);
        (void)skin;
    }
    const std::string text = Text();
    if (text.empty()) return;
    RECT textRect = client;
    if (pressed) ::OffsetRect(&textRect, 1, 1);
    CenteredText(dc, textRect, text, enabled ? palette::kButtonText : palette::kButtonTextDisabled, TextFont());
}

// CMyTabButton -----------------------------------------------------------------------------------

void CMyTabButton::SetCurrent(bool current) {
    if (current_ == current) return;
    current_ = current;
    Repaint();
}

int CMyTabButton::FrameIndex() const {
    if (current_) return 2;
    return Hovered() ? 1 : 0;
}

void CMyTabButton::Paint(HDC dc, const RECT& client) {
    const ImageStrip* strip = Strip() ? Strip() : &SkinResources::Get().TabButtons();
    const int width = client.right - client.left, frameWidth = strip->FrameWidth();
    constexpr int kEdge = 4;  // the corners and the frame; the middle is the same in every column
    if (width == frameWidth || frameWidth <= 2 * kEdge) {
        strip->Draw(dc, FrameIndex(), 0, 0);
    } else if (width > 2 * kEdge) {
        // Another width than the picture's: its edges, and its middle as often as it takes.
        strip->DrawSlice(dc, FrameIndex(), 0, kEdge, 0, 0);
        for (int x = kEdge; x < width - kEdge; x += frameWidth - 2 * kEdge)
            strip->DrawSlice(dc, FrameIndex(), kEdge, std::min(frameWidth - 2 * kEdge, width - kEdge - x), x, 0);
        strip->DrawSlice(dc, FrameIndex(), frameWidth - kEdge, kEdge, width - kEdge, 0);
    }
    const std::string text = Text();
    CenteredText(dc, client, text, current_ ? palette::kTabTextCurrent : palette::kButtonText, TextFont());
}

// CMyCheckBox ------------------------------------------------------------------------------------

const ImageStrip* CMyCheckBox::Strip() const { return strip_ ? strip_ : &SkinResources::Get().CheckBoxes(); }

void CMyCheckBox::SetStrip(const ImageStrip* strip) {
    strip_ = strip;
    if (Hwnd()) OnAttached();
}

void CMyCheckBox::OnAttached() {
    // Take over the state a system check box had before it was hooked.
    checked_ = ::SendMessageA(Hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED;
    CMyButton::OnAttached();
    const int height = Strip()->FrameHeight();
    if (height <= 0) return;
    RECT rect{};
    ::GetWindowRect(Hwnd(), &rect);
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, rect.right - rect.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT CMyCheckBox::TextFont() const { return SkinResources::Get().Font(SkinFont::Normal); }

void CMyCheckBox::SetChecked(bool checked) {
    checked_ = checked;
    Repaint(true);
}

void CMyCheckBox::Toggle() { SetChecked(!checked_); }

LRESULT CMyCheckBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case BM_GETCHECK:
        return checked_ ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        SetChecked(wParam == BST_CHECKED);
        return 0;
    case WM_LBUTTONUP: {
        // The button clicks when released inside while it holds the capture; toggle first so the
        // parent's BN_CLICKED handler reads the new state.
        const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        RECT client{};
        ::GetClientRect(Hwnd(), &client);
        if (::GetCapture() == Hwnd() && ::PtInRect(&client, p)) Toggle();
        break;
    }
    case WM_KEYUP:
        if (wParam == VK_SPACE && Pressed()) Toggle();
        break;
    case WM_LBUTTONDBLCLK:
        // A quick second click is a click too, not a double-click that leaves the check alone.
        return CMyButton::WindowProc(WM_LBUTTONDOWN, wParam, lParam);
    default:
        break;
    }
    return CMyButton::WindowProc(message, wParam, lParam);
}

void CMyCheckBox::Paint(HDC dc, const RECT& client) {
    const ImageStrip* strip = Strip();
    int frame = (checked_ ? 1 : 0) + (Hovered() ? 2 : 0);
    if (!Enabled() && strip->FrameCount() > 4) frame = 4;
    strip->Draw(dc, frame, 0, (client.bottom - strip->FrameHeight()) / 2);
    const std::string text = Text();
    RECT textRect = client;
    textRect.left = strip->FrameWidth() + 4;
    const SelectedObject selectedFont(dc, TextFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, !Enabled() ? palette::kButtonTextDisabled : Hovered() ? palette::kCheckTextHover : palette::kCheckText);
    window_text::Draw(dc, text, textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

// CLinkButton ------------------------------------------------------------------------------------

bool CLinkButton::SetIcon(UINT bitmapId) {
    icon_.Reset(static_cast<HBITMAP>(::LoadImageA(CDialog::ResourceModule(), MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, 0)));
    iconWidth_ = iconHeight_ = 0;
    if (!icon_) return false;
    BITMAP info{};
    ::GetObjectA(icon_.Get(), sizeof(info), &info);
    iconWidth_ = info.bmWidth;
    iconHeight_ = info.bmHeight;
    Repaint();
    return true;
}

HFONT CLinkButton::TextFont() const { return SkinResources::Get().Font(SkinFont::Bold14); }

void CLinkButton::Paint(HDC dc, const RECT& client) {
    int textX = 0;
    if (icon_) {
        RECT area{0, 0, iconWidth_ + 3, client.bottom};
        skin_draw::Fill(dc, area, palette::kLight);
        const int top = (client.bottom - iconHeight_) / 2 - 1;
        if (Hovered())
            skin_draw::TransparentPixels(dc, icon_.Get(), 0, top, iconWidth_, iconHeight_, true, palette::kIconShadow);
        else
            skin_draw::TransparentPixels(dc, icon_.Get(), 1, top + 1, iconWidth_, iconHeight_, false, 0);
        textX = iconWidth_ + 6;
    }
    const std::string text = Text();
    RECT textRect = client;
    textRect.left = textX;
    const SelectedObject selectedFont(dc, TextFont());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, Hovered() ? palette::kLinkHover : palette::kLink);
    window_text::Draw(dc, text, textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}
