#pragma once
// A bitmap divided into equal frames laid side by side. Loaded from a bitmap resource of the
// program or decoded from image data in memory (any format GDI+ reads: BMP, PNG, GIF, JPEG). The
// pixels are kept as a 32-bit top-down DIB section; an image with alpha (a 32-bit resource with
// any non-zero alpha byte, or a decoded image with transparency, transparent palette colours
// included) is kept premultiplied and alpha-blended, any other image is copied.
#include "platform/GdiHandles.h"

#include <cstddef>

class ImageStrip {
public:
    ImageStrip() = default;
    ImageStrip(const ImageStrip&) = delete;
    ImageStrip& operator=(const ImageStrip&) = delete;
    ImageStrip(ImageStrip&&) = default;
    ImageStrip& operator=(ImageStrip&&) = default;

    // frameWidth 0 takes the whole bitmap as one frame; a width that does not divide the bitmap
    // leaves the rest out. False when the resource is missing or not a bitmap.
    [[nodiscard]] bool LoadResource(HINSTANCE module, UINT id, int frameWidth = 0);
    // frameCount 0 takes as many frames as fit. False when the data cannot be decoded.
    [[nodiscard]] bool LoadFromMemory(const void* data, size_t size, int frameWidth = 0, int frameCount = 0);
    void Reset();

    // Draws frame `frame` at (x, y) at its own size; nothing for a frame out of range.
    void Draw(HDC dc, int frame, int x, int y) const;
    // Draws columns [srcX, srcX + width) of frame `frame` at (x, y), for pictures drawn in slices.
    void DrawSlice(HDC dc, int frame, int srcX, int width, int x, int y) const;
    // Draws the whole bitmap (all frames) stretched to the rectangle.
    void Stretch(HDC dc, const RECT& target) const;

    bool IsLoaded() const { return bitmap_.IsValid(); }
    bool HasAlpha() const { return alpha_; }
    int FrameWidth() const { return frameWidth_; }
    int FrameHeight() const { return height_; }
    int FrameCount() const { return frameCount_; }
    int Width() const { return width_; }
    HBITMAP Bitmap() const { return bitmap_.Get(); }
    // Colour of one pixel (for tests and pixel-by-pixel drawing); 0 outside the image.
    COLORREF PixelAt(int x, int y) const;

private:
    bool Adopt(int width, int height, const void* topDownBgra, int stride, int frameWidth, int frameCount);

    GdiBitmap bitmap_;
    void* bits_ = nullptr;  // top-down BGRA, owned by bitmap_
    int width_ = 0;
    int height_ = 0;
    int frameWidth_ = 0;
    int frameCount_ = 0;
    bool alpha_ = false;
};
