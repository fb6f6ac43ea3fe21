#include "dialogs/DlgTargetApp.h"

#include "dialogs/TargetPagesIds.h"
#include "engine/AsciiCase.h"
#include "platform/ProgramFolder.h"
#include "platform/Text.h"
#include "targets/ImportedTargets.h"
#include "targets/TargetCatalog.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr UINT kRecountMessage = WM_APP + 21;
constexpr int kBalloonMs = 5000;
// While searching, the groups open by themselves when they show no more targets than this.
constexpr size_t kOpenWhenSearching = 100;
// Warnings of a group ticked at once share one message, of at most this many lines.
constexpr size_t kWarningLines = 12;

// A group item's data: below zero, so that no target index is taken for it.
LPARAM GroupData(size_t group) { return -static_cast<LPARAM>(group) - 1; }
bool IsGroupData(LPARAM data) { return data < 0; }
size_t GroupOf(LPARAM data) { return static_cast<size_t>(-(data + 1)); }
}  // namespace

CDlgTargetApp::CDlgTargetApp(TargetCatalog& catalog, int category, Look look)
    : CDlgTargetRoot(IDD_TARGET_APP, look), catalog_(catalog), category_(category), treeKeys_(kRecountMessage) {}

HWND CDlgTargetApp::Tree() const { return Item(IDC_APP_TREE); }

const Target& CDlgTargetApp::TargetAt(size_t position) const {
    return catalog_.TargetAt(static_cast<size_t>(catalog_.CategoryStart(category_)) + position);
}

BOOL CDlgTargetApp::OnInitDialog() {
    CDlgTargetRoot::OnInitDialog();
    HWND tree = Tree();
    EnableTreeChecks(tree);
    TreeView_SetItemHeight(tree, 18);
    TreeView_SetIndent(tree, 10);
    TreeView_SetBkColor(tree, RGB(220, 220, 255));
    (void)treeKeys_.Attach(tree);
    AddFramedControl(tree);
    const size_t count = static_cast<size_t>(std::max(0, catalog_.CategoryCount(category_)));
    for (size_t i = 0; i < count; ++i) {
        const std::optional<bool> forced = catalog_.Policy().ForcedTarget(TargetAt(i).Name());
        checked_.push_back(forced.value_or(TargetAt(i).Selected()));
        locked_.push_back(forced.has_value());
    }
    BuildGroups();
    // The groups open and close by their buttons; a list of plug-ins alone keeps its plain look.
    if (!groups_.empty())
        ::SetWindowLongPtrW(tree, GWL_STYLE, ::GetWindowLongPtrW(tree, GWL_STYLE) | TVS_HASBUTTONS | TVS_LINESATROOT);
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

// The imported targets come sorted by group and name, so each group is one run of them; a group
// seen again later (a name that compares equal but is spelt otherwise) joins the first.
void CDlgTargetApp::BuildGroups() {
    for (size_t i = 0; i < checked_.size(); ++i) {
        const std::string& name = TargetAt(i).Group();
        if (name.empty()) {
            ungrouped_.push_back(i);
            continue;
        }
        auto found = std::find_if(groups_.rbegin(), groups_.rend(),
                                  [&](const Group& g) { return AsciiLower(g.name) == AsciiLower(name); });
        if (found == groups_.rend()) {
            groups_.push_back({name, {}});
            groups_.back().members.push_back(i);
        } else {
            found->members.push_back(i);
        }
    }
}

bool CDlgTargetApp::Shown(size_t position) const {
    return filter_.empty() || AsciiLower(TargetAt(position).Name()).find(filter_) != std::string::npos;
}

// Ticked when every target it shows that the user may change is; a group of fixed targets only
// shows theirs.
bool CDlgTargetApp::GroupTicked(const Group& group) const {
    const bool fixedOnly = GroupLocked(group);
    return std::none_of(group.members.begin(), group.members.end(),
                        [&](size_t m) { return Shown(m) && (fixedOnly || !locked_[m]) && !checked_[m]; });
}

bool CDlgTargetApp::GroupLocked(const Group& group) const {
    return std::all_of(group.members.begin(), group.members.end(), [&](size_t m) { return !Shown(m) || locked_[m]; });
}

int CDlgTargetApp::ListCount() const {
    int shown = 0;
    for (size_t i = 0; i < checked_.size(); ++i) shown += Shown(i) ? 1 : 0;
    return shown;
}

int CDlgTargetApp::ListChecked() const {
    int ticked = 0;
    for (size_t i = 0; i < checked_.size(); ++i) ticked += Shown(i) && checked_[i] ? 1 : 0;
    return ticked;
}

void CDlgTargetApp::SetAllChecked(bool checked) {
    std::vector<size_t> ticked;
    for (size_t i = 0; i < checked_.size(); ++i) {
        if (!Shown(i) || locked_[i]) continue;
        if (checked && !checked_[i]) ticked.push_back(i);
        checked_[i] = checked;
    }
    ShowTicks();
    // "Select All" ticks targets that warn as surely as a click on each does: the user is told.
    Warn(ticked);
}

HTREEITEM CDlgTargetApp::Insert(HTREEITEM parent, const std::string& text, LPARAM data, bool children) {
    const std::wstring wide = WideFromUtf8(text);
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<wchar_t*>(wide.c_str());
    insert.item.lParam = data;
    insert.item.cChildren = children ? 1 : 0;
    return reinterpret_cast<HTREEITEM>(::SendMessageW(Tree(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

void CDlgTargetApp::FillTree() {
    HWND tree = Tree();
    wchar_t typed[128] = {};
    ::GetDlgItemTextW(Hwnd(), IDC_APP_SEARCH, typed, 128);
    filter_ = AsciiLower(Utf8FromWide(TrimNul(typed)));
    ::SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    TreeView_DeleteAllItems(tree);
    const LPARAM start = catalog_.CategoryStart(category_);
    for (size_t i : ungrouped_)
        if (Shown(i)) Insert(TVI_ROOT, TargetAt(i).Name(), start + static_cast<LPARAM>(i), false);
    size_t shownInGroups = 0;
    std::vector<HTREEITEM> groupItems;
    for (size_t g = 0; g < groups_.size(); ++g) {
        const auto& members = groups_[g].members;
        const size_t shown = static_cast<size_t>(std::count_if(members.begin(), members.end(), [&](size_t m) { return Shown(m); }));
        if (shown == 0) continue;  // nothing of it matches the search
        shownInGroups += shown;
        if (HTREEITEM item = Insert(TVI_ROOT, groups_[g].name, GroupData(g), true)) groupItems.push_back(item);
    }
    if (!filter_.empty() && shownInGroups <= kOpenWhenSearching) {
        for (HTREEITEM item : groupItems) {
            FillGroup(item);
            TreeView_Expand(tree, item, TVE_EXPAND);
        }
    }
    ShowTicks();
    ::SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(tree, nullptr, TRUE);
}

// A group's targets go into the tree when it is first opened.
void CDlgTargetApp::FillGroup(HTREEITEM item) {
    HWND tree = Tree();
    const LPARAM data = TreeItemData(tree, item);
    if (!IsGroupData(data) || GroupOf(data) >= groups_.size() || TreeView_GetChild(tree, item)) return;
    const LPARAM start = catalog_.CategoryStart(category_);
    for (size_t m : groups_[GroupOf(data)].members) {
        if (!Shown(m)) continue;
        if (HTREEITEM child = Insert(item, TargetAt(m).Name(), start + static_cast<LPARAM>(m), false))
            SetTreeTick(tree, child, checked_[m], locked_[m]);
    }
}

template <typename OnTarget, typename OnGroup>
void CDlgTargetApp::VisitTree(const OnTarget& onTarget, const OnGroup& onGroup) {
    HWND tree = Tree();
    for (HTREEITEM i = TreeView_GetRoot(tree); i; i = TreeView_GetNextSibling(tree, i)) {
        const LPARAM data = TreeItemData(tree, i);
        if (!IsGroupData(data)) {
            onTarget(i);
            continue;
        }
        if (GroupOf(data) >= groups_.size() || !onGroup(i, groups_[GroupOf(data)])) continue;
        for (HTREEITEM c = TreeView_GetChild(tree, i); c; c = TreeView_GetNextSibling(tree, c)) onTarget(c);
    }
}

void CDlgTargetApp::ShowTicks() {
    HWND tree = Tree();
    const size_t start = static_cast<size_t>(catalog_.CategoryStart(category_));
    auto show = [&](HTREEITEM item) {
        const size_t index = static_cast<size_t>(TreeItemData(tree, item));
        if (index >= start && index - start < checked_.size())
            SetTreeTick(tree, item, checked_[index - start], locked_[index - start]);
    };
    VisitTree(show, [&](HTREEITEM item, const Group& group) {
        SetTreeTick(tree, item, GroupTicked(group), GroupLocked(group));
        return true;
    });
}

void CDlgTargetApp::TakeTreeChecks(bool warn) {
    HWND tree = Tree();
    const size_t start = static_cast<size_t>(catalog_.CategoryStart(category_));
    std::vector<size_t> ticked;
    auto take = [&](HTREEITEM item) {
        const size_t index = static_cast<size_t>(TreeItemData(tree, item));
        if (index < start || index - start >= checked_.size() || locked_[index - start]) return;
        const bool now = TreeTicked(tree, item);
        if (now && !checked_[index - start]) ticked.push_back(index - start);
        checked_[index - start] = now;
    };
    VisitTree(take, [&](HTREEITEM item, const Group& group) {
        const bool now = TreeTicked(tree, item);
        if (now == GroupTicked(group)) return true;
        // The group's own box changed: it takes every target of it that the search shows.
        for (size_t m : group.members) {
            if (!Shown(m) || locked_[m]) continue;
            if (now && !checked_[m]) ticked.push_back(m);
            checked_[m] = now;
        }
        return false;
    });
    ShowTicks();
    if (warn) Warn(ticked);
}

void CDlgTargetApp::Warn(const std::vector<size_t>& ticked) {
    std::vector<size_t> warned;
    for (size_t t : ticked)
        if (!TargetAt(t).Warning().empty()) warned.push_back(t);
    if (warned.size() == 1) {
        const Target& target = TargetAt(warned[0]);
        ::MessageBoxW(Hwnd(), WideFromUtf8(target.Warning()).c_str(), WideFromUtf8(target.Name()).c_str(),
                      MB_OK | MB_ICONWARNING);
        return;
    }
    if (warned.empty()) return;
    std::string text;
    for (size_t i = 0; i < warned.size() && i < kWarningLines; ++i)
        text += TargetAt(warned[i]).Name() + ": " + TargetAt(warned[i]).Warning() + "\n";
    if (warned.size() > kWarningLines) text += "... and " + std::to_string(warned.size() - kWarningLines) + " more.\n";
    ::MessageBoxW(Hwnd(), WideFromUtf8(text).c_str(), L"Warnings", MB_OK | MB_ICONWARNING);
}

void CDlgTargetApp::AnswerTip(NMTVGETINFOTIPW& tip) {
    if (!tip.pszText || tip.cchTextMax <= 0) return;
    tip.pszText[0] = L'\0';
    if (AnswerLockedTip(Tree(), tip) || IsGroupData(tip.lParam)) return;
    const size_t index = static_cast<size_t>(tip.lParam);
    if (!showDescription_.Checked() || index >= catalog_.TargetCount()) return;
    const std::wstring text = WideFromUtf8(catalog_.TargetAt(index).Description());
    const size_t n = std::min(text.size(), static_cast<size_t>(tip.cchTextMax - 1));
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), tip.pszText);
    tip.pszText[n] = L'\0';
}

LRESULT CDlgTargetApp::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == kRecountMessage) {
        handled = true;
        TakeTreeChecks(true);
        UpdateCount();
        return 0;
    }
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom == IDC_APP_TREE && header->code == NM_CLICK)
            ::PostMessageA(Hwnd(), kRecountMessage, 0, 0);
        if (header->idFrom == IDC_APP_TREE && header->code == TVN_ITEMEXPANDINGW) {
            auto* expanding = reinterpret_cast<NMTREEVIEWW*>(lParam);
            if (expanding->action & TVE_EXPAND) FillGroup(expanding->itemNew.hItem);
            handled = true;
            SetMessageResult(FALSE);
            return FALSE;
        }
        // The page is a Unicode window, so the tree asks in UTF-16.
        if (header->idFrom == IDC_APP_TREE && header->code == TVN_GETINFOTIPW) {
            AnswerTip(*reinterpret_cast<NMTVGETINFOTIPW*>(lParam));
            handled = true;
            return 0;
        }
    }
    return CDlgTargetRoot::OnMessage(message, wParam, lParam, handled);
}

void CDlgTargetApp::Apply() {
    TakeTreeChecks(false);
    for (size_t i = 0; i < checked_.size(); ++i) {
        Target& target = catalog_.TargetAt(static_cast<size_t>(catalog_.CategoryStart(category_)) + i);
        target.SetSelected(checked_[i]);
    }
    catalog_.Settings().showAppTargetDesc = showDescription_.Checked();
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
