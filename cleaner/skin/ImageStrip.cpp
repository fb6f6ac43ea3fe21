#include "skin/ImageStrip.h"

#include "platform/ComPtr.h"
#include "platform/GdiHandles.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include <objidl.h>
#include <shlwapi.h>
using std::max;
using std::min;
#include <gdiplus.h>

namespace {

// GDI+ is started for one decode and shut down afterwards: banners are decoded rarely, and no
// session outlives its user.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (ok_) Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

class GpImage {
public:
    ~GpImage() { if (bitmap_) Gdiplus::DllExports::GdipDisposeImage(bitmap_); }
    Gdiplus::GpBitmap** Receive() { return &bitmap_; }
    Gdiplus::GpBitmap* Get() const { return bitmap_; }

private:
    Gdiplus::GpBitmap* bitmap_ = nullptr;
};

// Largest image the skin accepts (a banner strip); protects against absurd headers.
constexpr int kMaxSide = 8192;

}  // namespace

void ImageStrip::Reset() {
    bitmap_.Reset();
    bits_ = nullptr;
    width_ = height_ = frameWidth_ = frameCount_ = 0;
    alpha_ = false;
}

bool ImageStrip::Adopt(int width, int height, const void* topDownBgra, int stride, int frameWidth, int frameCount) {
    Reset();
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    GdiBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return false;
    auto* out = static_cast<uint8_t*>(bits);
    const auto* in = static_cast<const uint8_t*>(topDownBgra);
    for (int y = 0; y < height; ++y) std::memcpy(out + size_t(y) * width * 4, in + size_t(y) * stride, size_t(width) * 4);
    bitmap_ = std::move(bitmap);
    bits_ = bits;
    width_ = width;
    height_ = height;
    frameWidth_ = (frameWidth > 0 && frameWidth <= width) ? frameWidth : width;
    const int fit = width / frameWidth_;
    frameCount_ = (frameCount > 0 && frameCount < fit) ? frameCount : fit;
    return true;
}

bool ImageStrip::LoadResource(HINSTANCE module, UINT id, int frameWidth) {
    Reset();
    GdiBitmap loaded(static_cast<HBITMAP>(::LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!loaded) return false;
    DIBSECTION section{};
    if (::GetObjectA(loaded.Get(), sizeof(section), &section) != sizeof(section)) return false;
    const int width = section.dsBm.bmWidth;
    const int height = section.dsBm.bmHeight;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;

    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    bool hasAlpha = false;
    if (section.dsBm.bmBitsPixel == 32 && section.dsBm.bmBits) {
        // Read the bytes as stored: GetDIBits may drop the alpha channel.
        const bool bottomUp = section.dsBmih.biHeight > 0;
        const auto* src = static_cast<const uint8_t*>(section.dsBm.bmBits);
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = src + size_t(bottomUp ? height - 1 - y : y) * section.dsBm.bmWidthBytes;
            std::memcpy(&pixels[size_t(y) * width * 4], row, size_t(width) * 4);
        }
        for (size_t i = 3; i < pixels.size(); i += 4) hasAlpha |= pixels[i] != 0;
    } else {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        const WindowDc screen(nullptr);
        const int rows = ::GetDIBits(screen.Get(), loaded.Get(), 0, height, pixels.data(), &info, DIB_RGB_COLORS);
        if (rows != height) return false;
    }
    if (hasAlpha) {
        for (size_t i = 0; i < pixels.size(); i += 4) {
            const unsigned a = pixels[i + 3];
            for (int c = 0; c < 3; ++c) pixels[i + c] = static_cast<uint8_t>(pixels[i + c] * a / 255);
        }
    } else {
        for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
    }
    if (!Adopt(width, height, pixels.data(), width * 4, frameWidth, 0)) return false;
    alpha_ = hasAlpha;
    return true;
}

bool ImageStrip::LoadFromMemory(const void* data, size_t size, int frameWidth, int frameCount) {
    Reset();
    if (!data || size == 0 || size > 0x7fffffff) return false;
    GdiplusSession session;
    if (!session.Ok()) return false;
    const ComPtr<IStream> stream(::SHCreateMemStream(static_cast<const BYTE*>(data), static_cast<UINT>(size)));
    if (!stream.Get()) return false;
    GpImage image;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream.Get(), image.Receive()) != Gdiplus::Ok || !image.Get())
        return false;
    UINT width = 0, height = 0;
    Gdiplus::DllExports::GdipGetImageWidth(image.Get(), &width);
    Gdiplus::DllExports::GdipGetImageHeight(image.Get(), &height);
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return false;
    Gdiplus::GpRect rect(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData locked{};
    if (Gdiplus::DllExports::GdipBitmapLockBits(image.Get(), &rect, Gdiplus::ImageLockModeRead,
                                                PixelFormat32bppPARGB, &locked) != Gdiplus::Ok)
        return false;
    bool hasAlpha = false;
    for (UINT y = 0; y < height && !hasAlpha; ++y) {
        const auto* row = static_cast<const uint8_t*>(locked.Scan0) + size_t(y) * locked.Stride;
        for (UINT x = 0; x < width; ++x)
            if (row[x * 4 + 3] != 255) { hasAlpha = true; break; }
    }
    const bool ok = locked.Stride > 0 &&
                    Adopt(static_cast<int>(width), static_cast<int>(height), locked.Scan0, locked.Stride, frameWidth, frameCount);
    Gdiplus::DllExports::GdipBitmapUnlockBits(image.Get(), &locked);
    if (ok) alpha_ = hasAlpha;
    return ok;
}

void ImageStrip::Draw(HDC dc, int frame, int x, int y) const { DrawSlice(dc, frame, 0, frameWidth_, x, y); }

void ImageStrip::DrawSlice(HDC dc, int frame, int srcX, int width, int x, int y) const {
    if (!IsLoaded() || frame < 0 || frame >= frameCount_ || srcX < 0 || width <= 0 || srcX + width > frameWidth_) return;
    MemoryDc memory(dc);
    if (!memory) return;
    const SelectedObject selected(memory.Get(), bitmap_.Get());
    const int sx = frame * frameWidth_ + srcX;
    if (alpha_) {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::AlphaBlend(dc, x, y, width, height_, memory.Get(), sx, 0, width, height_, blend);
    } else {
        ::BitBlt(dc, x, y, width, height_, memory.Get(), sx, 0, SRCCOPY);
    }
}

void ImageStrip::Stretch(HDC dc, const RECT& target) const {
    if (!IsLoaded()) return;
    MemoryDc memory(dc);
    if (!memory) return;
    const SelectedObject selected(memory.Get(), bitmap_.Get());
    const int w = target.right - target.left;
    const int h = target.bottom - target.top;
    if (alpha_) {
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ::AlphaBlend(dc, target.left, target.top, w, h, memory.Get(), 0, 0, width_, height_, blend);
    } else {
        const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
        ::StretchBlt(dc, target.left, target.top, w, h, memory.Get(), 0, 0, width_, height_, SRCCOPY);
        ::SetStretchBltMode(dc, oldMode);
    }
}

COLORREF ImageStrip::PixelAt(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const auto* p = static_cast<const uint8_t*>(bits_) + (size_t(y) * width_ + x) * 4;
    return RGB(p[2], p[1], p[0]);
}
