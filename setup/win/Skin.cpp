#include "win/Skin.h"

#include "win/ComPtr.h"

#include "win/WideText.h"

#include <objidl.h>
#include <shlwapi.h>
// GDI+ headers expect min and max.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <cstring>

namespace setup {

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
}

GdiplusSession::~GdiplusSession() {
    if (ok_) Gdiplus::GdiplusShutdown(token_);
}

std::unique_ptr<SkinImage> DecodeImage(const void* data, size_t size) {
    if (!data || size == 0 || size > 0x7FFFFFFF) return nullptr;
    ComPtr<IStream> stream(::SHCreateMemStream(static_cast<const BYTE*>(data), UINT(size)));
    if (!stream) return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> source(Gdiplus::Bitmap::FromStream(stream.Get()));
    if (!source || source->GetLastStatus() != Gdiplus::Ok) return nullptr;
    const int width = int(source->GetWidth());
    const int height = int(source->GetHeight());
    if (width <= 0 || height <= 0) return nullptr;
    const bool alpha = Gdiplus::IsAlphaPixelFormat(source->GetPixelFormat()) != FALSE;

    Gdiplus::Rect rect(0, 0, width, height);
    Gdiplus::BitmapData pixels;
    if (source->LockBits(&rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &pixels) != Gdiplus::Ok) {
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    auto image = std::make_unique<SkinImage>();
    image->bitmap.Reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!image->bitmap || !bits) {
        source->UnlockBits(&pixels);
        return nullptr;
    }
    for (int y = 0; y < height; ++y) {
        const uint8_t* from = static_cast<const uint8_t*>(pixels.Scan0) + ptrdiff_t(y) * pixels.Stride;
        uint8_t* to = static_cast<uint8_t*>(bits) + size_t(y) * size_t(width) * 4;
        std::memcpy(to, from, size_t(width) * 4);
        if (!alpha) continue;
        // AlphaBlend with AC_SRC_ALPHA expects colour channels already scaled by alpha.
        for (int x = 0; x < width; ++x) {
            uint8_t* p = to + x * 4;
            const unsigned a = p[3];
            for (int c = 0; c < 3; ++c) p[c] = uint8_t((p[c] * a + 127) / 255);
        }
    }
    source->UnlockBits(&pixels);
    image->width = width;
    image->height = height;
    image->alpha = alpha;
    return image;
}

HFONT CreateSkinFont(const FontEntry& spec) {
    const std::wstring face = ToWide(spec.hasFace ? spec.face : std::u16string());
    return ::CreateFontW(spec.height, 0, 0, 0, spec.bold ? 700 : 0, spec.italic, spec.underline, FALSE, 0,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0x20, face.c_str());
}

Skin::Skin() : white_(::CreateSolidBrush(RGB(255, 255, 255))) {}

void Skin::Load(const QV::TreeNode& root) {
    images_.clear();
    fonts_.clear();
    colours_.clear();
    if (const QV::TreeNode* images = root.Child("images")) {
        for (const auto& [name, property] : images->Properties()) {
            const QV::MemoryStream* blob = property->Type() == QV::TypeBlob ? property->Blob() : nullptr;
            if (!blob) continue;
            if (auto image = DecodeImage(blob->Data(), size_t(blob->Size()))) images_[name] = std::move(image);
        }
    }
    if (const QV::TreeNode* fonts = root.Child("fonts")) {
        for (const auto& [name, node] : fonts->Children()) {
            if (HFONT font = CreateSkinFont(ReadFontEntry(*node))) fonts_[name].Reset(font);
        }
    }
    if (const QV::TreeNode* colours = root.Child("colors")) {
        for (const auto& [name, property] : colours->Properties()) {
            if (property->Type() == QV::TypeColour) colours_[name] = COLORREF(property->Integer());
        }
    }
}

const SkinImage* Skin::Image(const std::string& name) const {
    auto it = images_.find(name);
    return it == images_.end() ? nullptr : it->second.get();
}

HFONT Skin::Font(const std::string& name) const {
    auto it = fonts_.find(name);
    return it == fonts_.end() ? nullptr : it->second.Get();
}

COLORREF Skin::Colour(const std::string& name) const {
    auto it = colours_.find(name);
    return it == colours_.end() ? kDefaultColour : it->second;
}

}  // namespace setup
