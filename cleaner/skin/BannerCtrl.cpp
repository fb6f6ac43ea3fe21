#include "skin/BannerCtrl.h"

CBannerCtrl::~CBannerCtrl() { StopTimer(); }

bool CBannerCtrl::SetImage(const void* data, size_t size, int frameWidth, int frameCount) {
    StopTimer();
    counter_ = 0;
    if (!strip_.LoadFromMemory(data, size, frameWidth, frameCount)) {
        Repaint();
        return false;
    }
    if (Hwnd())
        ::SetWindowPos(Hwnd(), nullptr, 0, 0, strip_.FrameWidth(), strip_.FrameHeight(),
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (interval_ > 0) SetAnimation(interval_, mode_);
    Repaint();
    return true;
}

void CBannerCtrl::SetAnimation(UINT intervalMs, skin_geometry::BannerMode mode) {
    StopTimer();
    interval_ = intervalMs;
    mode_ = mode;
    if (interval_ == 0 || !Hwnd() || strip_.FrameCount() <= 1) return;
    timer_ = ::SetTimer(Hwnd(), kFrameTimer, interval_, nullptr) != 0;
}

void CBannerCtrl::Clear() {
    StopTimer();
    strip_.Reset();
    counter_ = 0;
    Repaint();
}

void CBannerCtrl::StopTimer() {
    if (timer_ && Hwnd()) ::KillTimer(Hwnd(), kFrameTimer);
    timer_ = false;
}

int CBannerCtrl::CurrentFrame() const { return skin_geometry::BannerFrame(counter_, strip_.FrameCount(), mode_); }

LRESULT CBannerCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kFrameTimer) {
        ++counter_;
        Repaint();
        return 0;
    }
    if (message == WM_DESTROY) StopTimer();
    return CMyButton::WindowProc(message, wParam, lParam);
}

void CBannerCtrl::Paint(HDC dc, const RECT& client) {
    (void)client;
    strip_.Draw(dc, CurrentFrame(), 0, 0);
}
