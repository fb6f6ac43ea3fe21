#pragma once
#include "platform/GdiHandles.h"
// The image list of the target trees: icons 165, 164 and 163 (16 x 16) at indices 0, 1 and 2,
// standing for a file entry (kind 1), a registry entry (kinds 5 and 6) and a folder entry (kinds 2
// to 4). The main window creates one set when it starts and installs it; until one is installed
// (tests, a page shown before the main window) Get() makes a default set on first use. Beside them,
// the check boxes of the trees' ticks (CheckTree): state images 1 and 2 clear and ticked, 3 and 4
// the same greyed, for a tick the administrator's policy fixes.
#include <windows.h>

#include <commctrl.h>

class TargetTreeImages {
public:
    enum Image : int { kFile = 0, kRegistry = 1, kFolder = 2 };

    explicit TargetTreeImages(HINSTANCE module = nullptr);
    ~TargetTreeImages();
    TargetTreeImages(const TargetTreeImages&) = delete;
    TargetTreeImages& operator=(const TargetTreeImages&) = delete;

    static const TargetTreeImages& Get();
    void Install();

    HIMAGELIST List() const { return list_.Get(); }
    HIMAGELIST Ticks() const { return ticks_.Get(); }
    // The image of a target whose first entry has this stored kind; the file image for a missing
    // entry (kind 0) or a kind outside 1 to 6.
    static int ImageOfKind(unsigned kind);

private:
    void MakeTicks();

    ImageListHandle list_;
    ImageListHandle ticks_;
};
