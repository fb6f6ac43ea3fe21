#include "dialogs/DlgCookiesToKeepList.h"

#include "platform/GdiHandles.h"
#include "platform/Text.h"
#include "skin/SkinPalette.h"
#include "skin/SkinResources.h"
#include "skin/WindowText.h"

#include <commctrl.h>
#include <windowsx.h>

namespace {
constexpr COLORREF kTickGrey = RGB(150, 150, 150);

// The check mark of the skin's check boxes, for the greyed box the strip draws without one.
void DrawGreyTick(HDC dc, int x, int y) {
    const GdiBrush brush(::CreateSolidBrush(kTickGrey));
    const POINT mark[] = {{3, 6}, {4, 7}, {5, 8}, {6, 7}, {7, 6}, {8, 5}, {9, 4}};
    for (const POINT& p : mark) {
        const RECT r{x + p.x, y + p.y, x + p.x + 1, y + p.y + 2};
        ::FillRect(dc, &r, brush.Get());
    }
}
}  // namespace

CKeepSiteList::~CKeepSiteList() {
    if (Hwnd()) OwnerDrawItem::Unregister(Hwnd());
}

bool CKeepSiteList::AttachList(HWND list, HWND tip, KeepListRows& rows, std::function<void()> changed) {
    rows_ = &rows;
    tip_ = tip;
    changed_ = std::move(changed);
    if (!list || !Attach(list)) return false;
    OwnerDrawItem::Register(list, this);
    ::SendMessageW(list, LB_SETITEMHEIGHT, 0, kLineHeight);
    return true;
}

LPARAM CKeepSiteList::DataOf(size_t row) const {
    const KeepRow& r = rows_->Row(row);
    return static_cast<LPARAM>(row << 2) | (r.kept ? kKept : 0) | (r.locked ? kLocked : 0);
}

void CKeepSiteList::Show(const std::vector<size_t>& rows) {
    HWND list = Hwnd();
    std::string topSite;
    size_t topRow = 0;
    if (RowAt(POINT{1, 1}, topRow)) topSite = rows_->Row(topRow).site;
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    ::SendMessageW(list, LB_INITSTORAGE, rows.size(), rows.size() * 24);
    int newTop = 0;
    for (size_t row : rows) {
        const std::wstring site = WideFromUtf8(rows_->Row(row).site);
        const LRESULT line = ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(site.c_str()));
        if (line < 0) break;
        ::SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(line), DataOf(row));
        if (!topSite.empty() && rows_->Row(row).site == topSite) newTop = static_cast<int>(line);
    }
    ::SendMessageW(list, LB_SETTOPINDEX, static_cast<WPARAM>(newTop), 0);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    hotLine_ = -1;
}

bool CKeepSiteList::Select(size_t row) {
    HWND list = Hwnd();
    const LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT line = 0; line < count; ++line) {
        const LRESULT data = ::SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(line), 0);
        if (data == LB_ERR || static_cast<size_t>(data) >> 2 != row) continue;
        ::SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(line), 0);
        return true;
    }
    return false;
}

bool CKeepSiteList::RowAt(POINT point, size_t& row) const {
    const LRESULT hit = ::SendMessageW(Hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    if (HIWORD(hit) != 0) return false;
    const LRESULT data = ::SendMessageW(Hwnd(), LB_GETITEMDATA, LOWORD(hit), 0);
    if (data == LB_ERR) return false;
    row = static_cast<size_t>(data) >> 2;
    return row < rows_->Count();
}

void CKeepSiteList::Flip(int line) {
    if (line < 0) return;
    HWND list = Hwnd();
    const LRESULT data = ::SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(line), 0);
    if (data == LB_ERR) return;
    const size_t row = static_cast<size_t>(data) >> 2;
    if (!rows_->Toggle(row)) return;
    ::SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(line), DataOf(row));
    RECT rect{};
    if (::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&rect)) != LB_ERR)
        ::InvalidateRect(list, &rect, FALSE);
    if (changed_) changed_();
}

LRESULT CKeepSiteList::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN: {
        const LRESULT result = Default(message, wParam, lParam);
        const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        const LRESULT hit = ::SendMessageW(Hwnd(), LB_ITEMFROMPOINT, 0, lParam);
        if (HIWORD(hit) == 0 && p.x < kTickArea) Flip(LOWORD(hit));
        return result;
    }
    case WM_LBUTTONDBLCLK: {
        // On the tick it is the second of two clicks, on the site a double-click: both flip.
        const LRESULT result = Default(message, wParam, lParam);
        const LRESULT hit = ::SendMessageW(Hwnd(), LB_ITEMFROMPOINT, 0, lParam);
        if (HIWORD(hit) == 0) Flip(LOWORD(hit));
        return result;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            Flip(static_cast<int>(::SendMessageW(Hwnd(), LB_GETCURSEL, 0, 0)));
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L' ') return 0;  // the list box would look for a line starting with a blank
        break;
    case WM_MOUSEMOVE: {
        const LRESULT hit = ::SendMessageW(Hwnd(), LB_ITEMFROMPOINT, 0, lParam);
        const int line = HIWORD(hit) == 0 ? static_cast<int>(LOWORD(hit)) : -1;
        // Another line has another tip: the shown one goes, and the next asks for its text again.
        if (line != hotLine_) {
            hotLine_ = line;
            if (tip_) ::SendMessageW(tip_, TTM_POP, 0, 0);
        }
        break;
    }
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

void CKeepSiteList::DrawItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1) || !rows_) return;
    const size_t row = static_cast<size_t>(item.itemData) >> 2;
    if (row >= rows_->Count()) return;
    const KeepRow& r = rows_->Row(row);
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const GdiBrush back(::CreateSolidBrush(selected ? palette::kListSelected : palette::kList));
    ::FillRect(dc, &rect, back.Get());
    const ImageStrip& boxes = SkinResources::Get().CheckBoxes();
    const int boxY = rect.top + (rect.bottom - rect.top - boxes.FrameHeight()) / 2;
    if (r.locked && boxes.FrameCount() > 4) {
        boxes.Draw(dc, 4, rect.left + 4, boxY);
        DrawGreyTick(dc, rect.left + 4, boxY);
    } else {
        boxes.Draw(dc, r.kept ? 1 : 0, rect.left + 4, boxY);
    }
    RECT text = rect;
    text.left += kTickArea + 2;
    const SelectedObject font(dc, SkinResources::Get().Font(SkinFont::Normal));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, r.locked ? palette::kButtonTextDisabled : palette::kCheckText);
    window_text::Draw(dc, r.site, text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (item.itemState & ODS_FOCUS) ::DrawFocusRect(dc, &rect);
}
