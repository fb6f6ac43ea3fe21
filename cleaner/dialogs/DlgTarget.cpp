#include "dialogs/DlgTarget.h"

#include "dialogs/DlgAddTarget.h"
#include "dialogs/DlgTargetMin.h"
#include "dialogs/TargetPagesIds.h"
#include "dialogs/TargetTreeImages.h"
#include "platform/Text.h"
#include "skin/SkinResources.h"
#include "targets/TargetCatalog.h"

#include <commctrl.h>

#include <algorithm>

namespace {
constexpr RECT kListRect{10, 50, 230, 224};
constexpr int kGroupLeft = 240;
constexpr int kGroupWidth = 180;
constexpr int kGroupBottom = 226;  // the separator lies at 230
constexpr int kCompactTop = 66;    // below the page picture at the top right
constexpr UINT kRecountMessage = WM_APP + 20;  // posted after a click on a tree's check box

unsigned FirstEntryKind(const Target& target) {
    if (target.EntryCount() == 0) return 0;
    const EntryRecord* record = target.Entry(0).Record();
    return record ? record->kind : 0;
}

int TreeItemId(HWND tree, HTREEITEM item) { return static_cast<int>(TreeItemData(tree, item)); }
}  // namespace

CDlgTarget::CDlgTarget(TargetCatalog& catalog, PageContent page, CustomChanged customChanged)
    : CDlgTargetRoot(IDD_TARGET, page.look), catalog_(catalog), page_(std::move(page)),
      customChanged_(std::move(customChanged)), treeKeys_(kRecountMessage) {}

CDlgTarget::~CDlgTarget() = default;

HWND CDlgTarget::Tree() const { return Item(IDC_CUSTOM_TREE); }

BOOL CDlgTarget::OnInitDialog() {
    CDlgTargetRoot::OnInitDialog();
    if (CustomMode()) {
        InitCustom();
        UpdateCount();
        return FALSE;
    }
    ShowItems({IDC_CUSTOM_TREE, IDC_ADD_TARGET, IDC_EDIT_TARGET, IDC_DELETE_TARGET}, false);
    std::vector<CCheckList::Item> items;
    const int start = catalog_.CategoryStart(page_.primary);
    const int count = catalog_.CategoryCount(page_.primary);
    for (int i = 0; i < count; ++i) {
        const Target& t = catalog_.TargetAt(static_cast<size_t>(start + i));
        items.push_back({t.Name(), t.Description().empty() ? t.Name() : t.Description(), t.Selected(),
                         catalog_.Policy().ForcedTarget(t.Name()).has_value()});
    }
    if (list_.CreateList(*this, kListRect, items)) AddFramedControl(list_.Hwnd());
    for (TargetGroup& group : page_.groups) group.Load(catalog_);
    CreateGroupButtons();
    UpdateCount();
    return FALSE;
}

// The groups in one column at x = 240: at their usual distance when they fit above the
// separator; closer together, below the page picture and in a smaller font when the catalogue
// holds more groups than that.
void CDlgTarget::CreateGroupButtons() {
    const int count = static_cast<int>(page_.groups.size());
    if (count == 0) return;
    int top = page_.groupTop;
    int step = page_.groupStep;
    const bool compact = top + step * (count - 1) + 28 > kGroupBottom;
    if (compact) {
        top = kCompactTop;
        step = (kGroupBottom - top) / count;
    }
    const int height = std::min(28, step - 1);
    for (int g = 0; g < count; ++g) {
        auto button = std::make_unique<GroupButton>();
        button->compact = compact;
        const RECT rect{kGroupLeft, top + g * step, kGroupLeft + kGroupWidth, top + g * step + height};
        const TargetGroup& group = page_.groups[static_cast<size_t>(g)];
        if (!button->Create(Hwnd(), group.caption.c_str(), rect, static_cast<UINT>(IDC_GROUP_FIRST + g))) continue;
        const std::string tip = group.caption + " Targets";
        AddToolTip(button->Hwnd(), tip.c_str());
        groupButtons_.push_back(std::move(button));
    }
}

HFONT CDlgTarget::GroupButton::TextFont() const {
    return compact ? SkinResources::Get().Font(SkinFont::Bold14) : CMyStdButton::TextFont();
}

void CDlgTarget::OpenGroup(size_t group) {
    if (group >= page_.groups.size()) return;
    // A copy: Cancel of the pop-up leaves the page's working copy as it was.
    TargetGroup edited = page_.groups[group];
    CDlgTargetMin popup(catalog_, edited);
    if (popup.DoModal(::GetAncestor(Hwnd(), GA_ROOT)) == IDOK) page_.groups[group].working = edited.working;
}

int CDlgTarget::ListCount() const {
    if (!CustomMode()) return list_.Count();
    return static_cast<int>(TreeView_GetCount(Tree()));
}

int CDlgTarget::ListChecked() const {
    if (!CustomMode()) return list_.CheckedCount();
    return CountTreeChecks(Tree());
}

void CDlgTarget::SetAllChecked(bool checked) {
    if (!CustomMode()) {
        list_.SetAll(checked);
        return;
    }
    SetTreeChecks(Tree(), checked);
}

bool CDlgTarget::OnCommand(WORD id, WORD code, HWND control) {
    if (code == BN_CLICKED && id == IDC_TARGET_LIST) {
        UpdateCount();
        return true;
    }
    if (code == BN_CLICKED && id >= IDC_GROUP_FIRST && id < IDC_GROUP_FIRST + static_cast<int>(page_.groups.size())) {
        OpenGroup(static_cast<size_t>(id - IDC_GROUP_FIRST));
        return true;
    }
    if (code == BN_CLICKED && CustomMode()) {
        switch (id) {
        case IDC_ADD_TARGET: AddCustom(); return true;
        case IDC_EDIT_TARGET: EditCustom(); return true;
        case IDC_DELETE_TARGET: DeleteCustom(); return true;
        default: break;
        }
    }
    return CDlgTargetRoot::OnCommand(id, code, control);
}

LRESULT CDlgTarget::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == kRecountMessage) {
        handled = true;
        UpdateCount();
        return 0;
    }
    if (message == WM_NOTIFY && CustomMode()) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_CUSTOM_TREE) {
            // The tree changes a check box after it reports the click: count once it has.
            if (header->code == NM_CLICK) ::PostMessageA(Hwnd(), kRecountMessage, 0, 0);
            if (header->code == TVN_GETINFOTIPW) {
                auto* tip = reinterpret_cast<NMTVGETINFOTIPW*>(lParam);
                if (!AnswerLockedTip(Tree(), *tip) && tip->pszText && tip->cchTextMax > 0) tip->pszText[0] = L'\0';
                handled = true;
                return 0;
            }
            if (header->code == NM_DBLCLK) {
                ::PostMessageA(Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_EDIT_TARGET, BN_CLICKED), 0);
                handled = true;
                return TRUE;
            }
        }
    }
    return CDlgTargetRoot::OnMessage(message, wParam, lParam, handled);
}

// Custom mode -------------------------------------------------------------------------------------

void CDlgTarget::InitCustom() {
    HWND tree = Tree();
    EnableTreeChecks(tree);
    TreeView_SetImageList(tree, TargetTreeImages::Get().List(), TVSIL_NORMAL);
    TreeView_SetItemHeight(tree, 18);
    TreeView_SetIndent(tree, 10);
    TreeView_SetBkColor(tree, RGB(220, 220, 255));
    (void)treeKeys_.Attach(tree);
    if (add_.AttachItem(Hwnd(), IDC_ADD_TARGET)) AddToolTip(IDC_ADD_TARGET, "Add a new custom target");
    if (edit_.AttachItem(Hwnd(), IDC_EDIT_TARGET)) AddToolTip(IDC_EDIT_TARGET, "Edit the selected target");
    if (delete_.AttachItem(Hwnd(), IDC_DELETE_TARGET)) AddToolTip(IDC_DELETE_TARGET, "Delete the selected target");
    AddFramedControl(tree);
    for (size_t i = static_cast<size_t>(catalog_.CustomStart()); i < catalog_.TargetCount(); ++i) {
        const int id = nextId_++;
        custom_[id].kept = &catalog_.TargetAt(i);
        customOrder_.push_back(id);
        InsertCustom(TVI_LAST, id);
    }
    if (HTREEITEM first = TreeView_GetRoot(tree)) TreeView_SelectItem(tree, first);
}

HTREEITEM CDlgTarget::InsertCustom(HTREEITEM after, int id) {
    wchar_t none[1] = {};
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = none;
    insert.item.lParam = id;
    auto item = reinterpret_cast<HTREEITEM>(::SendMessageW(Tree(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (item) SetCustomItem(item, id);
    return item;
}

// The item shows the target's name, the icon of its first entry's kind and its selection.
void CDlgTarget::SetCustomItem(HTREEITEM item, int id) {
    const Target& target = custom_[id].Get();
    const int image = TargetTreeImages::ImageOfKind(FirstEntryKind(target));
    std::wstring name = WideFromUtf8(target.Name());
    TVITEMW data{};
    data.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
    data.hItem = item;
    data.pszText = &name[0];
    data.lParam = id;
    data.iImage = image;
    data.iSelectedImage = image;
    ::SendMessageW(Tree(), TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    const std::optional<bool> forced = catalog_.Policy().ForcedTarget(target.Name());
    SetTreeTick(Tree(), item, forced.value_or(target.Selected()), forced.has_value());
}

void CDlgTarget::AddCustom() {
    CDlgAddTarget editor;
    if (editor.DoModal(::GetAncestor(Hwnd(), GA_ROOT)) != IDOK) return;
    std::unique_ptr<Target> made = editor.TakeResult();
    if (!made) return;
    const int id = nextId_++;
    custom_[id].made = std::move(made);
    customOrder_.push_back(id);
    customEdited_ = true;
    if (HTREEITEM item = InsertCustom(TVI_LAST, id)) TreeView_SelectItem(Tree(), item);
    UpdateCount();
}

void CDlgTarget::EditCustom() {
    HTREEITEM item = TreeView_GetSelection(Tree());
    if (!item) return;
    const int id = TreeItemId(Tree(), item);
    const auto found = custom_.find(id);
    if (found == custom_.end()) return;
    const Target& target = found->second.Get();
    // The item's check box is only the editor's initial "Is Active": the target itself, which the
    // catalogue may still hold, is not touched.
    const bool active = TreeTicked(Tree(), item);
    const EntryRecord* first = target.EntryCount() ? target.Entry(0).Record() : nullptr;
    CDlgAddTarget editor(target.Name(), active, first);
    if (editor.DoModal(::GetAncestor(Hwnd(), GA_ROOT)) != IDOK) return;
    std::unique_ptr<Target> made = editor.TakeResult();
    if (!made) return;
    // The result goes to the end of the working copy; the tree item keeps its place.
    customOrder_.erase(std::remove(customOrder_.begin(), customOrder_.end(), id), customOrder_.end());
    custom_.erase(found);
    const int newId = nextId_++;
    custom_[newId].made = std::move(made);
    customOrder_.push_back(newId);
    customEdited_ = true;
    SetCustomItem(item, newId);
    UpdateCount();
}

void CDlgTarget::DeleteCustom() {
    HTREEITEM item = TreeView_GetSelection(Tree());
    if (!item) return;
    const int id = TreeItemId(Tree(), item);
    customOrder_.erase(std::remove(customOrder_.begin(), customOrder_.end(), id), customOrder_.end());
    custom_.erase(id);
    customEdited_ = true;
    TreeView_DeleteItem(Tree(), item);
    UpdateCount();
}

void CDlgTarget::Apply() {
    if (!CustomMode()) {
        const int start = catalog_.CategoryStart(page_.primary);
        const int count = std::min(list_.Count(), catalog_.CategoryCount(page_.primary));
        for (int i = 0; i < count; ++i) catalog_.TargetAt(static_cast<size_t>(start + i)).SetSelected(list_.Checked(i));
        for (const TargetGroup& group : page_.groups) group.Apply(catalog_);
        return;
    }
    HWND tree = Tree();
    for (HTREEITEM i = TreeView_GetRoot(tree); i; i = TreeView_GetNextSibling(tree, i)) {
        const auto found = custom_.find(TreeItemId(tree, i));
        if (found != custom_.end()) found->second.Get().SetSelected(TreeTicked(tree, i));
    }
    // The catalogue's range becomes the working copy in its order: borrowed targets are handed
    // back, the editor's join them, and those deleted or replaced are released.
    std::vector<std::unique_ptr<Target>> previous = catalog_.ReplaceCustomTargets({});
    std::vector<std::unique_ptr<Target>> next;
    for (const int id : customOrder_) {
        CustomItem& entry = custom_[id];
        if (entry.made) {
            next.push_back(std::move(entry.made));
            entry.kept = next.back().get();
            continue;
        }
        for (auto& old : previous) {
            if (old.get() != entry.kept) continue;
            next.push_back(std::move(old));
            break;
        }
    }
    (void)catalog_.ReplaceCustomTargets(std::move(next));
    if (customEdited_ && customChanged_) customChanged_();
}
