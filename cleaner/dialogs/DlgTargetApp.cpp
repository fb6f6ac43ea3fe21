#include "dialogs/DlgTargetApp.h"

#include "dialogs/TargetPagesIds.h"
#include "platform/ProgramFolder.h"
#include "platform/Text.h"
#include "targets/ImportedTargets.h"
#include "targets/TargetCatalog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cctype>
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
    const int count = catalog_.CategoryCount(category_);
    const int start = catalog_.CategoryStart(category_);
    for (int i = 0; i < count; ++i) checked_.push_back(catalog_.TargetAt(static_cast<size_t>(start + i)).Selected());
    FillTree();
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
        TakeTreeChecks(true);
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
    TakeTreeChecks(false);
    const size_t start = static_cast<size_t>(catalog_.CategoryStart(category_));
    for (size_t i = 0; i < checked_.size() && start + i < catalog_.TargetCount(); ++i)
        catalog_.TargetAt(start + i).SetSelected(checked_[i]);
    catalog_.Settings().showAppTargetDesc = showDescription_.Checked();
}

void CDlgTargetApp::TakeTreeChecks(bool warn) {
    HWND tree = Tree();
    const size_t start = static_cast<size_t>(catalog_.CategoryStart(category_));
    for (HTREEITEM i = TreeView_GetRoot(tree); i; i = TreeView_GetNextSibling(tree, i)) {
        const size_t index = static_cast<size_t>(TreeItemData(tree, i));
        if (index < start || index - start >= checked_.size()) continue;
        const bool now = TreeView_GetCheckState(tree, i) == 1;
        const std::string& warning = catalog_.TargetAt(index).Warning();
        if (warn && now && !checked_[index - start] && !warning.empty())
            ::MessageBoxW(Hwnd(), WideFromUtf8(warning).c_str(), WideFromUtf8(catalog_.TargetAt(index).Name()).c_str(),
                          MB_OK | MB_ICONWARNING);
        checked_[index - start] = now;
    }
}

void CDlgTargetApp::FillTree() {
    HWND tree = Tree();
    wchar_t typed[128] = {};
    ::GetDlgItemTextW(Hwnd(), IDC_APP_SEARCH, typed, 128);
    std::string filter = Utf8FromWide(TrimNul(typed));
    for (char& c : filter) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ::SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    TreeView_DeleteAllItems(tree);
    const int start = catalog_.CategoryStart(category_);
    for (int i = 0; i < static_cast<int>(checked_.size()); ++i) {
        const Target& target = catalog_.TargetAt(static_cast<size_t>(start + i));
        std::string name = target.Name();
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (!filter.empty() && name.find(filter) == std::string::npos) continue;
        const std::wstring text = WideFromUtf8(target.Name());
        TVINSERTSTRUCTW insert{};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = const_cast<wchar_t*>(text.c_str());
        insert.item.lParam = start + i;  // the target's catalogue index
        HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        if (item) TreeView_SetCheckState(tree, item, checked_[static_cast<size_t>(i)]);
    }
    ::SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
}

bool CDlgTargetApp::OnCommand(WORD id, WORD code, HWND control) {
    if (id == IDC_APP_SEARCH && code == EN_CHANGE) {
        TakeTreeChecks(false);
        FillTree();
        UpdateCount();
        return true;
    }
    if (id == IDC_APP_IMPORT && code == BN_CLICKED) return Import(), true;
    if (id == IDC_APP_REMOVE_IMPORTED && code == BN_CLICKED) return RemoveImported(), true;
    return CDlgTargetRoot::OnCommand(id, code, control);
}

void CDlgTargetApp::Import() {
    wchar_t path[MAX_PATH] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Hwnd();
    ofn.lpstrFilter = L"Cleaning entries (*.ini)\0*.ini\0All files\0*.*\0";
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    if (!::GetOpenFileNameW(&ofn)) return;
    const ImportResult result = ImportWinappFile(Utf8FromWide(TrimNul(path)), ExecutableFolder());
    const std::string text = result.ok ? std::to_string(result.targets) + " programs imported, " +
                                             std::to_string(result.refused) + " entries refused (listed in " +
                                             result.reportPath + ").\nThe imported programs are listed from the next start."
                                       : "Nothing was imported: " + result.error + ".";
    ::MessageBoxW(Hwnd(), WideFromUtf8(text).c_str(), L"Import", MB_OK | (result.ok ? MB_ICONINFORMATION : MB_ICONERROR));
}

void CDlgTargetApp::RemoveImported() {
    if (::MessageBoxW(Hwnd(), L"Remove every imported target?", L"Remove imported targets", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    const bool gone = RemoveImportedTargets(ExecutableFolder());
    ::MessageBoxW(Hwnd(), gone ? L"The imported targets are removed; they leave the list at the next start."
                               : L"The imported targets could not be removed.",
                  L"Remove imported targets", MB_OK | (gone ? MB_ICONINFORMATION : MB_ICONERROR));
}
