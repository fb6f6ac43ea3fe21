#include "skin/MyDialog.h"

#include "platform/GdiHandles.h"
#include "skin/SkinDraw.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinPalette.h"
#include "skin/SkinResources.h"
#include "skin/WindowText.h"

#include <windowsx.h>

#include <algorithm>

namespace {
std::vector<CMyDialog*>& OpenList() {
    static std::vector<CMyDialog*> list;
    return list;
}

void RemoveFromList(CMyDialog* dialog) {
    auto& list = OpenList();
    list.erase(std::remove(list.begin(), list.end(), dialog), list.end());
}
}  // namespace

CMyDialog::~CMyDialog() { RemoveFromList(this); }

const std::vector<CMyDialog*>& CMyDialog::OpenDialogs() { return OpenList(); }

void CMyDialog::BringLastToFront() {
    if (OpenList().empty()) return;
    HWND last = OpenList().back()->Hwnd();
    if (last) ::SetForegroundWindow(last);
}

BOOL CMyDialog::OnInitDialog() {
    // The system frame goes first: a pixel template sizes the client area, which the frame would
    // change again.
    RemoveSystemFrame();
    const BOOL result = CMyToolTipDialog::OnInitDialog();  // pixel layout, tooltip control and its switch
    ApplyRegion();
    RECT window{};
    ::GetWindowRect(Hwnd(), &window);
    const auto origin = skin_geometry::CloseButtonOrigin(window.right - window.left);
    const RECT closeRect{origin.x, origin.y, origin.x + 21, origin.y + 21};
    if (close_.Create(Hwnd(), "", closeRect, kCloseButtonId, WS_CHILD | WS_VISIBLE)) {
        close_.SetStrip(&SkinResources::Get().CloseButton());
        AddToolTip(close_.Hwnd(), "Close");
    }
    OpenList().push_back(this);
    active_ = ::GetForegroundWindow() == Hwnd();
    return result;
}

void CMyDialog::RemoveSystemFrame() {
    // A CAPTION line in a template adds WS_CAPTION whatever its STYLE says, and a system caption
    // or border would show as a strip inside the rounded region. The skin draws all of it.
    constexpr LONG_PTR kFrameStyles = WS_CAPTION | WS_THICKFRAME;
    constexpr LONG_PTR kFrameExStyles = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;
    const LONG_PTR style = ::GetWindowLongPtrW(Hwnd(), GWL_STYLE);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE);
    if (!(style & kFrameStyles) && !(exStyle & kFrameExStyles)) return;
    ::SetWindowLongPtrW(Hwnd(), GWL_STYLE, style & ~kFrameStyles);
    ::SetWindowLongPtrW(Hwnd(), GWL_EXSTYLE, exStyle & ~kFrameExStyles);
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CMyDialog::ApplyRegion() {
    RECT window{};
    ::GetWindowRect(Hwnd(), &window);
    const int w = window.right - window.left;
    const int h = window.bottom - window.top;
    // The window owns the region once it is set.
    GdiRegion region(::CreateRoundRectRgn(0, 0, w + 1, h + 1, skin_geometry::kCornerSize, skin_geometry::kCornerSize));
    if (region && ::SetWindowRgn(Hwnd(), region.Get(), TRUE)) (void)region.Release();
}

bool CMyDialog::OnCommand(WORD id, WORD code, HWND control) {
    (void)control;
    if (id != kCloseButtonId) return false;
    if (code == BN_CLICKED)
        // Posted: the Cancel handler may hide or end the dialog, which should not happen inside
        // the close button's own click.
        ::PostMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return true;
}

void CMyDialog::PaintSkin(HDC dc) {
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    const int w = client.right;
    const int h = client.bottom;
    const auto& skin = SkinResources::Get();
    using namespace skin_geometry;

    ::FillRect(dc, &client, skin.LightBrush());
    // 1. Gradient edges of the body.
    const int bodyTop = kTitleBandHeight;
    const int bodyBottom = h - kBottomBandHeight;
    if (bodyBottom > bodyTop) {
        skin_draw::Gradient(dc, RECT{0, bodyTop, kEdgeWidth, bodyBottom}, palette::kEdge, palette::kLight, false);
        skin_draw::Gradient(dc, RECT{w - kEdgeWidth, bodyTop, w, bodyBottom}, palette::kLight, palette::kEdge, false);
    }
    // 2. Title and bottom bands from the 1 x 27 strip.
    const ImageStrip& band = active_ ? skin.TitleActive() : skin.TitleInactive();
    if (band.IsLoaded()) {
        band.Stretch(dc, RECT{0, 0, w, kTitleBandHeight});
        band.Stretch(dc, RECT{0, h - kBottomBandHeight, w, h});
    } else {
        skin_draw::Gradient(dc, RECT{0, 0, w, kTitleBandHeight}, palette::kEdge, palette::kLight, true);
        skin_draw::Gradient(dc, RECT{0, h - kBottomBandHeight, w, h}, palette::kLight, palette::kEdge, true);
    }
    PaintContent(dc, client);
    // 3. Outline.
    skin_draw::Outline(dc, RECT{1, 1, w, h}, skin.BorderPen(), kCornerSize);
    // 4. Inner panel.
    if (innerPanel_) skin_draw::Outline(dc, RECT{20, 60, w - 20, h - 50}, skin.InnerPanelPen(), 6);
    // 5. Title.
    const std::string title = window_text::Get(Hwnd());
    skin_draw::Text(dc, 32, 4, title.c_str(), static_cast<int>(title.size()), active_ ? palette::kTitleActive : palette::kTitleInactive,
                    skin.Font(SkinFont::Title));
    // 6. Frames.
    PaintFrames(dc);
}

bool CMyDialog::OnPaint() {
    const PaintDc paint(Hwnd());
    HDC dc = paint.Get();
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    // Painted off-screen and copied at once, so moving or activating never flickers.
    const MemoryDc memory(dc);
    const GdiBitmap bitmap(::CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (!memory || !bitmap) {
        PaintSkin(dc);
        return true;
    }
    const SelectedObject selected(memory.Get(), bitmap.Get());
    PaintSkin(memory.Get());
    ::BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
    return true;
}

bool CMyDialog::OnEraseBackground(HDC dc) {
    (void)dc;
    return true;  // WM_PAINT paints everything
}

bool CMyDialog::OnMouse(UINT message, WPARAM keys, POINT point) {
    (void)keys;
    switch (message) {
    case WM_LBUTTONDOWN:
        if (!skin_geometry::StartsDrag(point.y)) return false;
        dragging_ = true;
        dragStart_ = point;
        ::SetCapture(Hwnd());
        return true;
    case WM_MOUSEMOVE: {
        if (!dragging_) return false;
        RECT window{};
        ::GetWindowRect(Hwnd(), &window);
        ::SetWindowPos(Hwnd(), nullptr, window.left + point.x - dragStart_.x, window.top + point.y - dragStart_.y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return true;
    }
    case WM_LBUTTONUP:
        if (!dragging_) return false;
        dragging_ = false;
        ::ReleaseCapture();
        return true;
    default:
        return false;
    }
}

LRESULT CMyDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == WM_CAPTURECHANGED && dragging_ && reinterpret_cast<HWND>(lParam) != Hwnd()) {
        dragging_ = false;  // capture taken away: the drag is over
    }
    if (message == WM_NCACTIVATE) {
        // The dialog manager sends no WM_ACTIVATE to an owned dialog in every case; the
        // non-client activation arrives for each change.
        const bool active = wParam != FALSE;
        if (active != active_) {
            active_ = active;
            RepaintBands();
        }
        handled = true;
        return TRUE;  // there is no system frame to draw
    }
    return CMyToolTipDialog::OnMessage(message, wParam, lParam, handled);
}

void CMyDialog::OnActivate(bool active) {
    if (active == active_) return;
    active_ = active;
    RepaintBands();
}

void CMyDialog::RepaintBands() {
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    RECT top{0, 0, client.right, skin_geometry::kTitleBandHeight};
    RECT bottom{0, client.bottom - skin_geometry::kBottomBandHeight, client.right, client.bottom};
    ::InvalidateRect(Hwnd(), &top, FALSE);
    ::InvalidateRect(Hwnd(), &bottom, FALSE);
}

void CMyDialog::OnSize(int width, int height) {
    (void)width;
    (void)height;
    ApplyRegion();
    if (close_.Hwnd()) {
        RECT window{};
        ::GetWindowRect(Hwnd(), &window);
        const auto origin = skin_geometry::CloseButtonOrigin(window.right - window.left);
        ::SetWindowPos(close_.Hwnd(), nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CMyDialog::OnDestroy() {
    RemoveFromList(this);
    dragging_ = false;
    CMyToolTipDialog::OnDestroy();
}
