#include "app/MainTrayIcon.h"

#include "app/DlgMainIds.h"
#include "skin/SkinPalette.h"

namespace {
constexpr int kItemWidth = 170, kItemHeight = 20, kSeparatorHeight = 5, kStripe = 24;

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    const GdiBrush brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &r, brush.Get());
}

void HorizontalGradient(HDC dc, const RECT& r, COLORREF from, COLORREF to) {
    const int width = r.right - r.left;
    for (int x = 0; x < width; ++x) {
        auto mix = [&](int a, int b) { return a + (b - a) * x / (width > 1 ? width - 1 : 1); };
        RECT line{r.left + x, r.top, r.left + x + 1, r.bottom};
        Fill(dc, line, RGB(mix(GetRValue(from), GetRValue(to)), mix(GetGValue(from), GetGValue(to)),
                           mix(GetBValue(from), GetBValue(to))));
    }
}

// The 16 x 15 item bitmap, pixel by pixel, leaving out the colour of its top-left pixel.
void DrawItemBitmap(HDC dc, HBITMAP bitmap, int x, int y, bool shadow) {
    const MemoryDc memory(dc);
    if (!memory) return;
    const SelectedObject selected(memory.Get(), bitmap);
    HDC source = memory.Get();
    const COLORREF transparent = ::GetPixel(source, 0, 0);
    for (int py = 0; py < 15; ++py) {
        for (int px = 0; px < 16; ++px) {
            const COLORREF c = ::GetPixel(source, px, py);
            if (c == transparent || c == CLR_INVALID) continue;
            if (shadow) ::SetPixel(dc, x + px + 2, y + py + 2, palette::kMenuIconShadow);
            ::SetPixel(dc, x + px, y + py, c);
        }
    }
}
}  // namespace

HMENU CMainTrayIcon::PrepareMenu(HMENU menu) {
    if (menuAllowed && !menuAllowed()) return nullptr;
    HMENU popup = ::GetSubMenu(menu, 0);
    if (!popup) return nullptr;
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    auto bitmapFor = [&](UINT command) -> HBITMAP {
        UINT id = command == IDC_KILL ? IDB_TRAY_KILL : command == IDC_SCAN ? IDB_TRAY_SCAN
                : command == ID_HELP_INDEX ? IDB_HELP_LINK : 0;
        if (!id) return nullptr;
        HBITMAP b = ::LoadBitmapA(instance, MAKEINTRESOURCEA(id));
        if (b) bitmaps_.emplace_back(b);
        return b;
    };

    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    ::SetMenuInfo(popup, &info);

    const bool shown = windowShown && windowShown();
    const int count = ::GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        MENUITEMINFOA mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        mi.dwTypeData = text;
        mi.cch = sizeof text - 1;
        if (!::GetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &mi)) continue;
        auto data = std::make_unique<ItemData>();
        data->separator = (mi.fType & MFT_SEPARATOR) != 0;
        data->text = text;
        if (mi.wID == ID_TOGGLE_MODE) {
            data->text = shown ? "Switch to ICONIC mode" : "Switch to FULL mode";
            data->isDefault = true;
        }
        if (!data->separator) data->bitmap = bitmapFor(mi.wID);

        MENUITEMINFOA set{};
        set.cbSize = sizeof set;
        set.fMask = MIIM_FTYPE | MIIM_DATA;
        set.fType = mi.fType | MFT_OWNERDRAW;
        set.dwItemData = reinterpret_cast<ULONG_PTR>(data.get());
        ::SetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &set);
        items_.push_back(std::move(data));
    }
    ::SetMenuDefaultItem(popup, ID_TOGGLE_MODE, FALSE);
    return menu;
}

void CMainTrayIcon::MenuDone() {
    items_.clear();
    bitmaps_.clear();
}

void CMainTrayIcon::MeasureItem(MEASUREITEMSTRUCT& item) {
    const auto* data = reinterpret_cast<const ItemData*>(item.itemData);
    item.itemWidth = kItemWidth;
    item.itemHeight = data && data->separator ? kSeparatorHeight : kItemHeight;
}

void CMainTrayIcon::DrawItem(const DRAWITEMSTRUCT& item) {
    const auto* data = reinterpret_cast<const ItemData*>(item.itemData);
    if (!data) return;
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) && !data->separator;

    RECT stripe{r.left, r.top, r.left + kStripe, r.bottom};
    HorizontalGradient(dc, stripe, palette::kMenuStripeLeft, palette::kMenuStripeRight);
    RECT back{selected ? r.left : r.left + kStripe, r.top, r.right, r.bottom};
    Fill(dc, back, selected ? palette::kMenuSelected : palette::kMenuBackground);
    if (data->separator) {
        RECT bar{r.left + 5, r.top + 2, r.right - 5, r.bottom - 2};
        Fill(dc, bar, palette::kMenuSeparator);
        return;
    }
    if (data->bitmap) {
        const int offset = selected ? 2 : 3;
        DrawItemBitmap(dc, data->bitmap, r.left + offset, r.top + offset, selected);
    }
    std::string text = data->text.substr(0, 31);
    ::SetBkMode(dc, TRANSPARENT);
    const bool isDefault = data->isDefault || (item.itemState & ODS_DEFAULT) != 0;
    HFONT font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    LOGFONTA lf{};
    ::GetObjectA(font, sizeof lf, &lf);
    if (isDefault) lf.lfWeight = FW_BOLD;
    const GdiFont itemFont(::CreateFontIndirectA(&lf));
    const SelectedObject selectedFont(dc, itemFont.Get());
    if (selected) {
        ::SetTextColor(dc, palette::kMenuTextShadow);
        ::TextOutA(dc, r.left + 31, r.top + 4, text.c_str(), static_cast<int>(text.size()));
        ::SetTextColor(dc, palette::kMenuText);
        ::TextOutA(dc, r.left + 29, r.top + 2, text.c_str(), static_cast<int>(text.size()));
    } else {
        ::SetTextColor(dc, palette::kMenuText);
        ::TextOutA(dc, r.left + 30, r.top + 3, text.c_str(), static_cast<int>(text.size()));
    }
}
