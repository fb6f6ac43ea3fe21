#include "dialogs/DlgTargetMin.h"

#include "dialogs/TargetPagesIds.h"
#include "skin/SkinResources.h"
#include "targets/TargetCatalog.h"

#include <cstdio>

namespace {
constexpr RECT kListRect{20, 84, 300, 300};
}  // namespace

CDlgTargetMin::CDlgTargetMin(const TargetCatalog& catalog, TargetGroup& group)
    : CMyDialog(IDD_TARGET_MIN), catalog_(catalog), group_(group) {
    SetPixelTemplate(true);
}

BOOL CDlgTargetMin::OnInitDialog() {
    CMyDialog::OnInitDialog();
    HWND hwnd = Hwnd();
    ::SetWindowTextA(hwnd, group_.caption.c_str());
    std::vector<CCheckList::Item> items;
    const int start = catalog_.CategoryStart(group_.category);
    for (size_t i = 0; i < group_.working.size(); ++i) {
        const Target& t = catalog_.TargetAt(start + i);
        items.push_back({t.Name(), t.Description().empty() ? t.Name() : t.Description(), group_.working[i],
                         catalog_.Policy().ForcedTarget(t.Name()).has_value()});
    }
    (void)list_.CreateList(*this, kListRect, items);
    AddFramedControl(list_.Hwnd());
    if (selectAll_.AttachItem(hwnd, IDC_SELECT_ALL)) AddToolTip(IDC_SELECT_ALL, "Select all targets");
    (void)ok_.AttachItem(hwnd, IDOK);
    (void)cancel_.AttachItem(hwnd, IDCANCEL);
    const HFONT font = SkinResources::Get().Font(SkinFont::Normal);
    ::SendMessageA(Item(IDC_SELECTED_COUNT), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    UpdateCount();
    return TRUE;
}

bool CDlgTargetMin::OnCommand(WORD id, WORD code, HWND control) {
    if (code == BN_CLICKED && id == IDC_TARGET_LIST) {
        UpdateCount();
        return true;
    }
    if (code == BN_CLICKED && id == IDC_SELECT_ALL) {
        list_.SetAll(selectAll_.Checked());
        UpdateCount();
        return true;
    }
    return CMyDialog::OnCommand(id, code, control);
}

void CDlgTargetMin::UpdateCount() {
    char text[48];
    std::snprintf(text, sizeof text, "Selected Targets: %d", list_.CheckedCount());
    ::SetDlgItemTextA(Hwnd(), IDC_SELECTED_COUNT, text);
    const bool all = list_.Count() > 0 && list_.CheckedCount() == list_.Count();
    if (selectAll_.Checked() != all) selectAll_.SetChecked(all);
}

void CDlgTargetMin::OnOK() {
    for (int i = 0; i < list_.Count() && static_cast<size_t>(i) < group_.working.size(); ++i)
        group_.working[static_cast<size_t>(i)] = list_.Checked(i);
    CMyDialog::OnOK();
}

void CDlgTargetMin::PaintContent(HDC dc, const RECT& client) {
    (void)client;
    if (!group_.icon) return;
    HICON icon = static_cast<HICON>(
        ::LoadImageA(ResourceModule(), MAKEINTRESOURCEA(group_.icon), IMAGE_ICON, 32, 32, LR_SHARED));
    if (icon) ::DrawIconEx(dc, 20, 40, icon, 32, 32, 0, nullptr, DI_NORMAL);
}
