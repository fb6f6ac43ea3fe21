#include "dialogs/ChildPage.h"

#include "skin/SkinResources.h"

bool CChildPage::CreatePage(HWND parent, int x, int y) {
    if (!Create(parent)) return false;
    ::SetWindowPos(Hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

BOOL CChildPage::OnInitDialog() {
    const BOOL result = CMyToolTipDialog::OnInitDialog();
    // Labels, radio buttons, lists and edit fields in the skin's font, like the skinned controls
    // beside them (which draw with their own fonts whatever they are given).
    const HFONT font = SkinResources::Get().Font(SkinFont::Normal);
    for (HWND child = ::GetWindow(Hwnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return result;
}
