#include "dialogs/DlgTargetApp.h"

#include "dialogs/TargetPagesIds.h"
#include "platform/Text.h"
#include "targets/TargetCatalog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr UINT kRecountMessage = WM_APP + 21;
constexpr int kBalloonMs = 5000;
}  // namespace

CDlgTargetApp::CDlgTargetApp(TargetCatalog& catalog, int category, Look look)
    : CDlgTargetRoot(IDD_TARGET_APP, look), catalog_(catalog), category_(category), treeKeys_(kRecountMessage) {}

HWND CDlgTargetApp::Tree() const { return Item(IDC_APP_TREE); }

BOOL CDlgTargetApp::OnInitDialog() {
    CDlgTargetRoot::OnInitDialog();
    HWND tree = Tree();
    EnableTreeChecks(tree);
    TreeView_SetItemHeight(tree, 18);
    TreeView_SetIndent(tree, 10);
    TreeView_SetBkColor(tree, RGB(220, 220, 255));
    (void)treeKeys_.Attach(tree);
    AddFramedControl(tree);
    const int start = catalog_.CategoryStart(category_);
    const int count = catalog_.CategoryCount(category_);
    for (int i = 0; i < count; ++i) {
        const Target& target = catalog_.TargetAt(static_cast<size_t>(start + i));
        std::wstring name = WideFromUtf8(target.Name());
        TVINSERTSTRUCTW insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = &name[0];
        insert.item.lParam = start + i;  // the target's catalogue index
        auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        if (item) TreeView_SetCheckState(tree, item, target.Selected());
    }
    if (HTREEITEM first = TreeView_GetRoot(tree)) TreeView_SelectItem(tree, first);
    if (HWND tips = TreeView_GetToolTips(tree)) {
        ::SetWindowLongPtrW(tips, GWL_STYLE, ::GetWindowLongPtrW(tips, GWL_STYLE) | TTS_BALLOON);
        ::SendMessageA(tips, TTM_SETDELAYTIME, TTDT_AUTOPOP, kBalloonMs);
    }
    if (showDescription_.AttachItem(Hwnd(), IDC_SHOW_DESCRIPTION)) {
        showDescription_.SetChecked(catalog_.Settings().showAppTargetDesc);
        AddToolTip(IDC_SHOW_DESCRIPTION, "Shows target description as tooltip");
    }
    UpdateCount();
    return FALSE;
}

int CDlgTargetApp::ListCount() const { return static_cast<int>(TreeView_GetCount(Tree())); }

int CDlgTargetApp::ListChecked() const { return CountTreeChecks(Tree()); }

void CDlgTargetApp::SetAllChecked(bool checked) { SetTreeChecks(Tree(), checked); }

LRESULT CDlgTargetApp::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == kRecountMessage) {
        handled = true;
        UpdateCount();
        return 0;
    }
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_APP_TREE && header->code == NM_CLICK)
            ::PostMessageA(Hwnd(), kRecountMessage, 0, 0);
        // The page is a Unicode window, so the tree asks in UTF-16.
        if (header->idFrom == IDC_APP_TREE && header->code == TVN_GETINFOTIPW) {
            auto* tip = reinterpret_cast<NMTVGETINFOTIPW*>(lParam);
            if (tip->pszText && tip->cchTextMax > 0) {
                tip->pszText[0] = L'\0';
                const size_t index = static_cast<size_t>(tip->lParam);
                if (showDescription_.Checked() && index < catalog_.TargetCount()) {
                    const std::wstring text = WideFromUtf8(catalog_.TargetAt(index).Description());
                    const size_t n = std::min(text.size(), static_cast<size_t>(tip->cchTextMax - 1));
                    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), tip->pszText);
                    tip->pszText[n] = L'\0';
                }
            }
            handled = true;
            return 0;
        }
    }
    return CDlgTargetRoot::OnMessage(message, wParam, lParam, handled);
}

void CDlgTargetApp::Apply() {
    HWND tree = Tree();
    for (HTREEITEM i = TreeView_GetRoot(tree); i; i = TreeView_GetNextSibling(tree, i)) {
        const size_t index = static_cast<size_t>(TreeItemData(tree, i));
        if (index < catalog_.TargetCount()) catalog_.TargetAt(index).SetSelected(TreeView_GetCheckState(tree, i) == 1);
    }
    catalog_.Settings().showAppTargetDesc = showDescription_.Checked();
}
