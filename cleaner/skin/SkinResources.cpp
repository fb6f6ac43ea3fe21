#include "skin/SkinResources.h"

#include "platform/GdiHandles.h"
#include "res/ResourceIds.h"
#include "skin/Dialog.h"
#include "skin/SkinPalette.h"

#include <memory>

namespace {
const SkinResources* g_installed = nullptr;

// Any character set: the texts carry target names and paths of any script.
GdiFont MakeFont(int height, bool bold) {
    return GdiFont(::CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                   DEFAULT_PITCH | FF_SWISS, L"Arial"));
}
}  // namespace

SkinResources::SkinResources(HINSTANCE module) {
    if (!module) module = CDialog::ResourceModule();
    light_.Reset(::CreateSolidBrush(palette::kLight));
    list_.Reset(::CreateSolidBrush(palette::kList));
    borderPen_.Reset(::CreatePen(PS_SOLID, 3, palette::kBorder));
    innerPen_.Reset(::CreatePen(PS_SOLID, 1, palette::kInnerPanel));
    framePen_.Reset(::CreatePen(PS_SOLID, 1, palette::kControlFrame));
    const struct { int height; bool bold; } fonts[] = {{14, false}, {16, true}, {18, true}, {16, true}, {15, true}, {14, true}};
    for (int i = 0; i < static_cast<int>(SkinFont::Count); ++i) fonts_[i] = MakeFont(fonts[i].height, fonts[i].bold);
    // A missing bitmap leaves its strip empty; drawing an empty strip draws nothing.
    (void)titleActive_.LoadResource(module, IDB_TITLE_ACTIVE);
    (void)titleInactive_.LoadResource(module, IDB_TITLE_INACTIVE);
    (void)close_.LoadResource(module, IDB_CLOSE_BUTTON, 21);
    (void)emblem_.LoadResource(module, IDB_EMBLEM, 64);
    (void)checkBoxes_.LoadResource(module, IDB_CHECK_BOXES, 13);
    (void)tabs_.LoadResource(module, IDB_TAB_BUTTONS, 107);
    (void)pages_.LoadResource(module, IDB_PAGE_IMAGES, 64);
}

SkinResources::~SkinResources() {
    if (g_installed == this) g_installed = nullptr;
}

void SkinResources::Install() { g_installed = this; }

const SkinResources& SkinResources::Get() {
    if (g_installed) return *g_installed;
    static std::unique_ptr<SkinResources> fallback;
    if (!fallback) fallback = std::make_unique<SkinResources>();
    return *fallback;
}
