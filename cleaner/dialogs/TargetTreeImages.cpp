#include "dialogs/TargetTreeImages.h"

#include "res/ResourceIds.h"
#include "skin/Dialog.h"

namespace {
const TargetTreeImages* g_installed = nullptr;
}  // namespace

TargetTreeImages::TargetTreeImages(HINSTANCE module) {
    if (!module) module = CDialog::ResourceModule();
    list_.Reset(::ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 3, 0));
    if (!list_) return;
    for (const int id : {IDI_TREE_CATEGORY, IDI_TREE_TARGET, IDI_TREE_CUSTOM}) {
        // The list copies the icon; ours goes with the scope.
        const IconHandle icon(static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0)));
        ::ImageList_AddIcon(list_.Get(), icon.Get());  // a missing icon leaves its index empty
    }
    MakeTicks();
}

// Drawn as the system draws check boxes; the greyed pair inactive. Image 0 (no box) stays empty.
void TargetTreeImages::MakeTicks() {
    constexpr int kSize = 16;
    constexpr COLORREF kMask = RGB(255, 0, 255);
    ticks_.Reset(::ImageList_Create(kSize, kSize, ILC_COLOR32 | ILC_MASK, 5, 0));
    if (!ticks_) return;
    WindowDc screen(nullptr);
    MemoryDc dc(screen.Get());
    const UINT looks[] = {0, DFCS_BUTTONCHECK | DFCS_FLAT, DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED,
                          DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_INACTIVE,
                          DFCS_BUTTONCHECK | DFCS_FLAT | DFCS_CHECKED | DFCS_INACTIVE};
    for (const UINT look : looks) {
        const GdiBitmap bitmap(::CreateCompatibleBitmap(screen.Get(), kSize, kSize));
        if (!bitmap || !dc) return;
        {
            const SelectedObject selected(dc.Get(), bitmap.Get());
            const GdiBrush mask(::CreateSolidBrush(kMask));
            RECT all{0, 0, kSize, kSize};
            ::FillRect(dc.Get(), &all, mask.Get());
            RECT box{2, 2, kSize - 1, kSize - 1};
            if (look) ::DrawFrameControl(dc.Get(), &box, DFC_BUTTON, look);
        }
        ::ImageList_AddMasked(ticks_.Get(), bitmap.Get(), kMask);
    }
}

TargetTreeImages::~TargetTreeImages() {
    if (g_installed == this) g_installed = nullptr;
}

const TargetTreeImages& TargetTreeImages::Get() {
    if (g_installed) return *g_installed;
    static const TargetTreeImages fallback;
    return fallback;
}

void TargetTreeImages::Install() { g_installed = this; }

int TargetTreeImages::ImageOfKind(unsigned kind) {
    if (kind == 5 || kind == 6) return kRegistry;
    if (kind >= 2 && kind <= 4) return kFolder;
    return kFile;
}
