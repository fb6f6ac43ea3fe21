#pragma once
// The skin tree (res.qvdt): pictures decoded through GDI+ (32-bit ones premultiplied by alpha, ready
// for AlphaBlend), fonts created from their entries, colours, and the white background brush.
#include "config/FontEntry.h"
#include "qv/TreeNode.h"
#include "win/GdiHandles.h"
#include "win/Handles.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>

namespace setup {

// GDI+ is started for the lifetime of this object; decoding needs one alive.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Ok() const { return ok_; }

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

struct SkinImage {
    GdiObject<HBITMAP> bitmap;  // 32-bit top-down DIB section
    int width = 0;
    int height = 0;
    bool alpha = false;  // the colour channels are premultiplied
};

// Decodes a BMP or PNG from memory; none when GDI+ cannot.
std::unique_ptr<SkinImage> DecodeImage(const void* data, size_t size);
// CreateFontW with the entry's face, height and styles; null when it cannot be created.
HFONT CreateSkinFont(const FontEntry& spec);

class Skin {
public:
    static constexpr COLORREF kDefaultColour = 0xFFFFFF;

    Skin();
    Skin(const Skin&) = delete;
    Skin& operator=(const Skin&) = delete;

    // Images that cannot be decoded and fonts that cannot be created are left out.
    void Load(const QV::TreeNode& root);

    const SkinImage* Image(const std::string& name) const;
    HFONT Font(const std::string& name) const;
    COLORREF Colour(const std::string& name) const;
    HBRUSH WhiteBrush() const { return white_.Get(); }
    size_t ImageCount() const { return images_.size(); }
    size_t FontCount() const { return fonts_.size(); }

private:
    std::map<std::string, std::unique_ptr<SkinImage>> images_;
    std::map<std::string, GdiObject<HFONT>> fonts_;
    std::map<std::string, COLORREF> colours_;
    GdiObject<HBRUSH> white_;
};

}  // namespace setup
