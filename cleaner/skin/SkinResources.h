#pragma once
// The brushes, pens, fonts and bitmaps that every skinned dialog and control borrows. The main
// window creates one set when it starts and installs it; until one is installed (tests, a dialog
// shown before the main window) Get() makes a default set on first use, so drawing never finds a
// missing object.
#include "platform/GdiHandles.h"
#include "skin/ImageStrip.h"

enum class SkinFont : int {
    Normal = 0,   // Arial 14
    Bold16,       // Arial 16 bold (push buttons)
    Title,        // Arial 18 bold (dialog titles)
    Bold16b,      // Arial 16 bold (headings)
    Bold15,       // Arial 15 bold (result list names)
    Bold14,       // Arial 14 bold (labels)
    Count
};

class SkinResources {
public:
    // Creates everything from the resources of `module` (CDialog::ResourceModule() by default).
    explicit SkinResources(HINSTANCE module = nullptr);
    ~SkinResources();
    SkinResources(const SkinResources&) = delete;
    SkinResources& operator=(const SkinResources&) = delete;

    // The installed set, or the default one.
    static const SkinResources& Get();
    // Makes this the set Get() returns until it is destroyed or another one is installed.
    void Install();

    HBRUSH LightBrush() const { return light_.Get(); }
    HBRUSH ListBrush() const { return list_.Get(); }
    HPEN BorderPen() const { return borderPen_.Get(); }
    HPEN InnerPanelPen() const { return innerPen_.Get(); }
    HPEN FramePen() const { return framePen_.Get(); }
    HFONT Font(SkinFont which) const { return fonts_[static_cast<int>(which)].Get(); }

    const ImageStrip& TitleActive() const { return titleActive_; }
    const ImageStrip& TitleInactive() const { return titleInactive_; }
    const ImageStrip& CloseButton() const { return close_; }
    const ImageStrip& Emblem() const { return emblem_; }
    const ImageStrip& CheckBoxes() const { return checkBoxes_; }
    const ImageStrip& TabButtons() const { return tabs_; }
    const ImageStrip& PageImages() const { return pages_; }

private:
    GdiBrush light_, list_;
    GdiPen borderPen_, innerPen_, framePen_;
    GdiFont fonts_[static_cast<int>(SkinFont::Count)];
    ImageStrip titleActive_, titleInactive_, close_, emblem_, checkBoxes_, tabs_, pages_;
};
