#pragma once
#include "app/TrayIcon.h"
#include "platform/GdiHandles.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The main window's tray icon: prepares the popup menu (item bitmaps, white background, owner
// drawing, the mode switch) and draws it. The menu's bitmaps live only while the menu is up.
class CMainTrayIcon : public CTrayIcon {
public:
    // Asked before each menu: may a menu be shown now, and is the main window visible.
    std::function<bool()> menuAllowed;
    std::function<bool()> windowShown;

    // The main window's WM_MEASUREITEM / WM_DRAWITEM for menu items.
    static void MeasureItem(MEASUREITEMSTRUCT& item);
    static void DrawItem(const DRAWITEMSTRUCT& item);

    struct ItemData {
        bool separator = false;
        bool isDefault = false;  // the mode switch, drawn bold
        std::string text;
        HBITMAP bitmap = nullptr;  // owned by the icon's bitmap list
    };

protected:
    HMENU PrepareMenu(HMENU menu) override;
    void MenuDone() override;

private:
    std::vector<GdiBitmap> bitmaps_;
    std::vector<std::unique_ptr<ItemData>> items_;
};
