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
