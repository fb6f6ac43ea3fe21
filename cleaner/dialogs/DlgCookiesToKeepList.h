#pragma once
// The site list of the "Cookies to Keep" page: an owner-drawn list box of one line per shown row,
// each with a tick. A click on the tick, a double-click on the line or the space bar flips it;
// a site the administrator keeps is drawn ticked and greyed and does not flip. Each line's text is
// its site and its item data the row's index shifted left by two, with bit 0 set while the site is
// kept and bit 1 while the administrator keeps it, so that the state can be read from the line.
#include "dialogs/DlgCookiesToKeepRows.h"
#include "skin/Dialog.h"
#include "skin/SubclassWnd.h"

#include <functional>
#include <string>
#include <vector>

class CKeepSiteList : public CSubclassWnd, public OwnerDrawItem {
public:
    static constexpr LRESULT kKept = 1;
    static constexpr LRESULT kLocked = 2;

    ~CKeepSiteList() override;
    // Hooks the list box of the page; `tip` is the tooltip control that explains its lines (its
    // text is asked for again on every new line under the mouse); `changed` is called after every
    // flip of a tick.
    [[nodiscard]] bool AttachList(HWND list, HWND tip, KeepListRows& rows, std::function<void()> changed);
    // Shows these rows, keeping the line at the top where it is still shown.
    void Show(const std::vector<size_t>& rows);
    // Selects the line of a row and scrolls it into view; false when it is not shown.
    bool Select(size_t row);
    // The row of the line under a point of the list's client area; false over no line.
    [[nodiscard]] bool RowAt(POINT point, size_t& row) const;

    void DrawItem(const DRAWITEMSTRUCT& item) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Flip(int line);
    LPARAM DataOf(size_t row) const;

    static constexpr int kLineHeight = 18;
    static constexpr int kTickArea = 22;  // the left part of a line where a click flips the tick
    KeepListRows* rows_ = nullptr;
    HWND tip_ = nullptr;
    std::function<void()> changed_;
    int hotLine_ = -1;  // the line under the mouse, for the tooltip
};
