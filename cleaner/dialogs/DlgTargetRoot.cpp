#include "dialogs/DlgTargetRoot.h"

#include "dialogs/TargetPagesIds.h"
#include "platform/GdiHandles.h"
#include "skin/SkinPalette.h"
#include "skin/SkinResources.h"

#include <string>

BOOL CDlgTargetRoot::OnInitDialog() {
    COptionsPage::OnInitDialog();
    if (selectAll_.AttachItem(Hwnd(), IDC_SELECT_ALL)) AddToolTip(IDC_SELECT_ALL, "Select all targets");
    SetHelpTopic(look_.helpTopic);
    return FALSE;
}

bool CDlgTargetRoot::OnCommand(WORD id, WORD code, HWND control) {
    (void)control;
    if (id != IDC_SELECT_ALL || code != BN_CLICKED) return false;
    SetAllChecked(selectAll_.Checked());
    UpdateCount();
    return true;
}

void CDlgTargetRoot::UpdateCount() {
    const int checked = ListChecked();
    ::SetDlgItemTextA(Hwnd(), IDC_SELECTED_COUNT, std::to_string(checked).c_str());
    const bool all = ListCount() > 0 && checked == ListCount();
    if (selectAll_.Checked() != all) selectAll_.SetChecked(all);
}

bool CDlgTargetRoot::OnPaint() {
    const PaintDc paint(Hwnd());
    HDC dc = paint.Get();
    const SkinResources& skin = SkinResources::Get();
    if (look_.icon) {
        HICON icon = static_cast<HICON>(
            ::LoadImageA(ResourceModule(), MAKEINTRESOURCEA(look_.icon), IMAGE_ICON, 32, 32, LR_SHARED));
        if (icon) ::DrawIconEx(dc, 0, 16, icon, 32, 32, 0, nullptr, DI_NORMAL);
    }
    {
        const SelectedObject font(dc, skin.Font(SkinFont::Title));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, palette::kInnerPanel);
        ::TextOutA(dc, 50, 15, look_.caption, static_cast<int>(std::string(look_.caption).size()));
    }
    {
        const SelectedObject pen(dc, skin.FramePen());
        ::MoveToEx(dc, 45, 40, nullptr);
        ::LineTo(dc, 280, 40);
        ::MoveToEx(dc, 10, 230, nullptr);
        ::LineTo(dc, 280, 230);
    }
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    skin.PageImages().Draw(dc, look_.tab, client.right - 64, 0);
    PaintFrames(dc);
    return true;
}
