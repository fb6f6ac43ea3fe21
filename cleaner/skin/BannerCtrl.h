#pragma once
// The animated banner of the main window (an owner-draw button, id 1037): shows one frame of an
// image strip decoded from memory and sized to one frame; a timer on the control advances a
// frame counter and repaints. Clicks reach the dialog as BN_CLICKED.
#include "skin/ImageStrip.h"
#include "skin/MyButton.h"
#include "skin/SkinGeometry.h"

class CBannerCtrl : public CMyButton {
public:
    ~CBannerCtrl() override;

    // Decodes the strip and resizes the control to one frame; the counter starts at 0. False (and
    // the banner cleared) when the data cannot be decoded.
    [[nodiscard]] bool SetImage(const void* data, size_t size, int frameWidth, int frameCount);
    // 0 ms: no animation (the first frame stays).
    void SetAnimation(UINT intervalMs, skin_geometry::BannerMode mode);
    void Clear();

    unsigned Counter() const { return counter_; }
    int CurrentFrame() const;
    const ImageStrip& Strip() const { return strip_; }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;

private:
    static constexpr UINT_PTR kFrameTimer = 1;
    void StopTimer();
    ImageStrip strip_;
    unsigned counter_ = 0;
    UINT interval_ = 0;
    skin_geometry::BannerMode mode_ = skin_geometry::BannerMode::Loop;
    bool timer_ = false;
};
