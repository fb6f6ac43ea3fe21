#include "dialogs/CheckList.h"

#include "dialogs/LockedControl.h"
#include "dialogs/TargetPagesIds.h"

#include <algorithm>

CCheckList::CCheckList() : CMyToolTipDialog(0) {}

bool CCheckList::CreateList(CMyToolTipDialog& page, const RECT& rect, const std::vector<Item>& items) {
    blankTemplate_ = BlankTemplate("", 10, 10, DS_CONTROL | WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN,
                                   WS_EX_CONTROLPARENT);
    if (!CreateIndirect(page.Hwnd(), reinterpret_cast<const DLGTEMPLATE*>(blankTemplate_.data()))) return false;
    HWND list = Hwnd();
    ::SetWindowLongPtrA(list, GWLP_ID, IDC_TARGET_LIST);
    ::SetWindowPos(list, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    ::GetClientRect(list, &client);
    clientHeight_ = client.bottom;
    for (size_t i = 0; i < items.size(); ++i) {
        auto box = std::make_unique<CMyCheckBox>();
        const int y = static_cast<int>(i) * kRowHeight + 2;
        const RECT boxRect{4, y, client.right - 2, y + 13};
        if (!box->Create(list, items[i].name.c_str(), boxRect, static_cast<UINT>(IDC_TARGET_FIRST + i),
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP))
            continue;
        box->SetChecked(items[i].checked);
        page.AddToolTip(box->Hwnd(), items[i].tip.c_str());
        if (items[i].locked) LockControl(page, box->Hwnd());
        boxes_.push_back(std::move(box));
    }
    ScrollTo(0);
    return true;
}

int CCheckList::CheckedCount() const {
    return static_cast<int>(std::count_if(boxes_.begin(), boxes_.end(), [](const auto& b) { return b->Checked(); }));
}

void CCheckList::SetAll(bool checked) {
    for (auto& box : boxes_)
        if (box->Enabled()) box->SetChecked(checked);
}

bool CCheckList::OnCommand(WORD id, WORD code, HWND control) {
    (void)control;
    if (id < IDC_TARGET_FIRST || id >= IDC_TARGET_FIRST + Count()) return false;
    if (code == BN_SETFOCUS) EnsureVisible(id - IDC_TARGET_FIRST);
    if (code != BN_CLICKED) return true;
    EnsureVisible(id - IDC_TARGET_FIRST);
    // The page recounts and updates "Select All".
    ::SendMessageA(::GetParent(Hwnd()), WM_COMMAND, MAKEWPARAM(IDC_TARGET_LIST, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Hwnd()));
    return true;
}

void CCheckList::EnsureVisible(int index) {
    const int top = index * kRowHeight;
    if (top < offset_) ScrollTo(top);
    else if (top + kRowHeight + 2 > offset_ + clientHeight_) ScrollTo(top + kRowHeight + 2 - clientHeight_);
}

void CCheckList::ScrollTo(int offset) {
    const int total = Count() * kRowHeight + 4;
    const int maxOffset = std::max(0, total - clientHeight_);
    offset_ = std::clamp(offset, 0, maxOffset);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = 0;
    info.nMax = total - 1;
    info.nPage = static_cast<UINT>(clientHeight_);
    info.nPos = offset_;
    ::SetScrollInfo(Hwnd(), SB_VERT, &info, TRUE);
    Place();
}

void CCheckList::Place() {
    for (size_t i = 0; i < boxes_.size(); ++i) {
        const int y = static_cast<int>(i) * kRowHeight + 2 - offset_;
        ::SetWindowPos(boxes_[i]->Hwnd(), nullptr, 4, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

LRESULT CCheckList::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    (void)lParam;
    handled = true;
    switch (message) {
    case WM_VSCROLL: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(Hwnd(), SB_VERT, &info);
        switch (LOWORD(wParam)) {
        case SB_LINEUP: ScrollTo(offset_ - kRowHeight); break;
        case SB_LINEDOWN: ScrollTo(offset_ + kRowHeight); break;
        case SB_PAGEUP: ScrollTo(offset_ - clientHeight_); break;
        case SB_PAGEDOWN: ScrollTo(offset_ + clientHeight_); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(Count() * kRowHeight); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: ScrollTo(info.nTrackPos); break;
        default: break;
        }
        return 0;
    }
    case WM_MOUSEWHEEL:
        ScrollTo(offset_ - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3 * kRowHeight);
        return 0;
    default:
        handled = false;
        return 0;
    }
}
